#include "platform/mfc/AfxResource.h"

#include <atomic>

namespace
{
std::atomic<HINSTANCE> s_hResource{nullptr};
} // namespace

HINSTANCE AfxGetResourceHandle() { return s_hResource.load(); }

void AfxSetResourceHandle(HINSTANCE hInstance) { s_hResource.store(hInstance); }
