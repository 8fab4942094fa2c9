#include "simulation/TableBounds.h"

STableBounds g_TableBounds;
