#include "platform/media/MusicDecoder.h"

#include "platform/media/AsfDecoder.h"
#include "platform/media/Mp3Decoder.h"

#include <cstring>
#include <strings.h>

namespace
{
bool EndsWithNoCase(const std::string& str, const char* szEnd)
{
    const std::size_t n = std::strlen(szEnd);
    return str.size() >= n && strcasecmp(str.c_str() + str.size() - n, szEnd) == 0;
}
} // namespace

std::unique_ptr<IMusicDecoder> OpenMusicDecoder(const std::string& strPath, std::string& strError)
{
    if (EndsWithNoCase(strPath, ".asf"))
        return CAsfDecoder::Open(strPath, strError);
    return CMp3Decoder::Open(strPath, strError);
}
