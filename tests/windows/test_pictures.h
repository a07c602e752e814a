#pragma once
// Pictures of one colour, encoded by the system's imaging component as a
// server would serve them, and the few a server can send that no encoder makes.
#include <windows.h>
#include <objbase.h>
#include <wincodec.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tessivar::testing {

struct Colour {
    std::uint8_t red, green, blue, alpha = 255;
};

using Painter = std::function<Colour(UINT x, UINT y)>;

// `container` is GUID_ContainerFormatPng, ...Jpeg or ...Gif; a GIF takes
// the colour of its top left pixel alone. The thread must have joined COM.
inline std::string encoded_picture(const GUID& container, UINT width, UINT height, const Painter& paint) {
    const Colour colour = paint(0, 0);
    IWICImagingFactory* factory = nullptr;
    IStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    IPropertyBag2* options = nullptr;
    IWICPalette* palette = nullptr;
    std::string bytes;
    CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                     reinterpret_cast<void**>(&factory));
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    factory->CreateEncoder(container, nullptr, &encoder);
    encoder->Initialize(stream, WICBitmapEncoderNoCache);
    encoder->CreateNewFrame(&frame, &options);
    frame->Initialize(options);
    frame->SetSize(width, height);
    // Each encoder takes the format it is asked for here.
    const bool gif = container == GUID_ContainerFormatGif, jpeg = container == GUID_ContainerFormatJpeg;
    WICPixelFormatGUID format = gif ? GUID_WICPixelFormat8bppIndexed
                                : jpeg ? GUID_WICPixelFormat24bppBGR : GUID_WICPixelFormat32bppBGRA;
    frame->SetPixelFormat(&format);
    const UINT pixel_bytes = gif ? 1 : jpeg ? 3 : 4;
    const UINT stride = (width * pixel_bytes + 3) / 4 * 4;
    std::vector<BYTE> pixels(static_cast<std::size_t>(stride) * height, 0);  // palette entry 0 for the GIF
    if (gif) {
        WICColor entries[2] = {static_cast<WICColor>(0xFF000000u | colour.red << 16 | colour.green << 8 | colour.blue),
                               0xFF000000u};
        factory->CreatePalette(&palette);
        palette->InitializeCustom(entries, 2);
        frame->SetPalette(palette);
    } else {
        for (UINT y = 0; y < height; ++y) {
            for (UINT x = 0; x < width; ++x) {
                BYTE* at = &pixels[static_cast<std::size_t>(y) * stride + x * pixel_bytes];
                const Colour c = paint(x, y);
                at[0] = c.blue;
                at[1] = c.green;
                at[2] = c.red;
                if (pixel_bytes == 4) at[3] = c.alpha;
            }
        }
    }
    frame->WritePixels(height, stride, static_cast<UINT>(pixels.size()), pixels.data());
    frame->Commit();
    encoder->Commit();
    HGLOBAL memory = nullptr;
    GetHGlobalFromStream(stream, &memory);
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    const auto* data = static_cast<const char*>(GlobalLock(memory));
    bytes.assign(data, static_cast<std::size_t>(stat.cbSize.QuadPart));
    GlobalUnlock(memory);
    for (IUnknown* object : std::initializer_list<IUnknown*>{palette, options, frame, encoder, stream, factory}) {
        if (object) object->Release();
    }
    return bytes;
}

inline std::string encoded_picture(const GUID& container, UINT width, UINT height, Colour colour) {
    return encoded_picture(container, width, height, [colour](UINT, UINT) { return colour; });
}

// A PNG whose header announces `side` by `side` pixels and holds none of them.
inline std::string announced_png(std::uint32_t side) {
    std::string head("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    for (int twice = 0; twice < 2; ++twice) {
        for (int shift = 24; shift >= 0; shift -= 8) head += static_cast<char>(side >> shift);
    }
    return head + std::string("\x08\x06\0\0\0", 5) + std::string(4, '\0');  // 8-bit RGBA; the CRC left wrong
}

// A lossless 1x1 WebP; some systems have no decoder for it.
inline std::string tiny_webp() {
    return std::string("RIFF\x1a\0\0\0WEBPVP8L\x0d\0\0\0\x2f\0\0\0\x10\x07\x10\x11\x11\x88\x88\xfe\x07\0", 34);
}

}  // namespace tessivar::testing
