#include "preview/picture_decode.h"

#include <wincodec.h>

#include <string>

#include "win32/com.h"
#include "win32/window_kit.h"

namespace tessivar {
namespace {

using pictures::Failure;
using pictures::PixelSize;
using pictures::Refusal;

// As wincodec.h gives it; written here so that no GUID library is linked.
constexpr GUID kPremultipliedBgra = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x10}};

// Exported by windowscodecs.dll without a header's declaration: the
// factory without a COM class lookup.
using CreateFactory = HRESULT WINAPI(UINT sdk_version, IWICImagingFactory** factory);

struct Imaging {
    CreateFactory* create_factory = nullptr;
    decltype(&WICConvertBitmapSource) convert = nullptr;
};

const Imaging& imaging() {
    static const Imaging found = [] {
        Imaging imaging;
        if (HMODULE codecs = system_library(L"windowscodecs.dll")) {
            imaging.create_factory = system_function<CreateFactory>(codecs, "WICCreateImagingFactory_Proxy");
            imaging.convert = system_function<decltype(WICConvertBitmapSource)>(codecs, "WICConvertBitmapSource");
        }
        return imaging;
    }();
    return found;
}

// Where the picture was transparent the post's background shows, as the
// site's page would show it: premultiplied colour plus the background's share.
void lay_on(std::vector<std::uint8_t>& premultiplied, COLORREF background) {
    const unsigned back[3] = {GetBValue(background), GetGValue(background), GetRValue(background)};
    for (std::size_t at = 0; at + 3 < premultiplied.size(); at += 4) {
        const unsigned uncovered = 255u - premultiplied[at + 3];
        for (int channel = 0; channel < 3; ++channel) {
            premultiplied[at + channel] =
                static_cast<std::uint8_t>(premultiplied[at + channel] + (back[channel] * uncovered + 127) / 255);
        }
        premultiplied[at + 3] = 0;
    }
}

Refusal unreadable(std::string_view format) { return Refusal{Failure::UnreadableFormat, std::string(format)}; }

}  // namespace

std::variant<std::unique_ptr<Picture>, Refusal> decode_picture(std::span<const std::uint8_t> body,
                                                                std::uint32_t max_width, COLORREF background,
                                                                const std::shared_ptr<pictures::HeldBytes>& held) {
    // Before any decoder: some take every pixel as soon as a frame is opened.
    const auto announced = pictures::announced_picture(body);
    if (!announced) return unreadable("неизвестный");
    if (auto refused = pictures::judge_announced(*announced)) return *refused;
    const std::string_view format = announced->format;

    const Imaging& wic = imaging();
    IWICImagingFactory* raw_factory = nullptr;
    if (!wic.create_factory || !wic.convert || FAILED(wic.create_factory(WINCODEC_SDK_VERSION, &raw_factory))) {
        return unreadable(format);
    }
    const ComPtr<IWICImagingFactory> factory(raw_factory);

    IWICStream* raw_stream = nullptr;
    if (FAILED(factory->CreateStream(&raw_stream))) return unreadable(format);
    const ComPtr<IWICStream> stream(raw_stream);
    if (FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(body.data()), static_cast<DWORD>(body.size())))) {
        return unreadable(format);
    }
    IWICBitmapDecoder* raw_decoder = nullptr;
    const HRESULT opened = factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                            &raw_decoder);
    if (FAILED(opened)) return unreadable(format);
    const ComPtr<IWICBitmapDecoder> decoder(raw_decoder);
    IWICBitmapFrameDecode* raw_frame = nullptr;
    if (FAILED(decoder->GetFrame(0, &raw_frame))) return unreadable(format);
    const ComPtr<IWICBitmapFrameDecode> frame(raw_frame);

    PixelSize original;
    if (FAILED(frame->GetSize(&original.width, &original.height)) || original.width == 0 || original.height == 0) {
        return unreadable(format);
    }
    if (auto too_large = pictures::judge_size(original.width, original.height)) return *too_large;
    const PixelSize shown = pictures::fitted_size(original, max_width);
    const auto bytes = pictures::pixel_bytes(shown);
    if (!bytes || !held->try_hold(*bytes)) return Refusal{Failure::TooMuchHeld, {}};
    auto picture = std::make_unique<Picture>();
    picture->held = held;
    picture->size = shown;
    picture->pixels.resize(*bytes);

    IWICBitmapSource* raw_converted = nullptr;
    if (FAILED(wic.convert(kPremultipliedBgra, frame.get(), &raw_converted))) return unreadable(format);
    const ComPtr<IWICBitmapSource> converted(raw_converted);
    ComPtr<IWICBitmapScaler> scaler;
    IWICBitmapSource* source = converted.get();
    if (shown != original) {
        IWICBitmapScaler* raw_scaler = nullptr;
        if (FAILED(factory->CreateBitmapScaler(&raw_scaler))) return unreadable(format);
        scaler.reset(raw_scaler);
        if (FAILED(scaler->Initialize(source, shown.width, shown.height, WICBitmapInterpolationModeFant))) {
            return unreadable(format);
        }
        source = scaler.get();
    }
    if (FAILED(source->CopyPixels(nullptr, shown.width * 4, static_cast<UINT>(*bytes), picture->pixels.data()))) {
        return unreadable(format);
    }
    lay_on(picture->pixels, background);
    return picture;
}

}  // namespace tessivar
