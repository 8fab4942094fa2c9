// AVI clips of any bytes. Properties: an opened clip has as many frames as its length, each a
// whole picture, and its frames convert into a surface of their size.
#include "tests/fuzz/FuzzTarget.h"

#include "media/AviClips.h"
#include "tools/aviclip/AviWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    std::string strError;
    const auto pReader = CAviReader::FromBytes(std::vector<BYTE>(pData, pData + nSize), strError);
    if (pReader == nullptr)
    {
        FuzzCheck(!strError.empty(), "a clip refused without a reason");
        return 0;
    }
    const BITMAPINFOHEADER& format = pReader->Format();
    FuzzCheck(pReader->FrameCount() == pReader->StreamHeader().dwLength, "frames and length differ");
    std::vector<BYTE> dib;
    for (DWORD n = 0; n < pReader->FrameCount(); ++n)
    {
        FuzzCheck(pReader->CopyFrame(n, dib), "a frame that cannot be copied");
        FuzzCheck(dib.size() == BITMAPINFOHEADER_SIZE + pReader->FrameBytes(), "a frame of the wrong size");
    }
    DDPIXELFORMAT ddpf;
    ddpf.dwRGBBitCount = 16;
    ddpf.dwGBitMask = 0x7E0;
    const SurfacePtr pSurface =
        CDirectDrawSurface::Create(static_cast<DWORD>(format.biWidth), static_cast<DWORD>(format.biHeight), ddpf, 0);
    DDSURFACEDESC2 desc;
    if (pSurface != nullptr && pSurface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) == DD_OK)
    {
        FuzzCheck(ConvertFrame(format, pReader->FramePixels(0).data(), desc), "a frame that does not convert");
        pSurface->Unlock(nullptr);
    }
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    std::vector<std::vector<BYTE>> seeds;
    for (const WORD nBits : {16, 24})
    {
        SAviClipDesc desc;
        desc.nWidth = 3;
        desc.nHeight = 2;
        desc.nBitCount = nBits;
        desc.bIndex = nBits == 16;
        for (int n = 0; n < 3; ++n)
            desc.frames.push_back(PatternFrame(desc.nWidth, desc.nHeight, nBits, n));
        seeds.push_back(BuildAviClip(desc));
    }
    return seeds;
}
