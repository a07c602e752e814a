// The picture loader against a server of the test's own on 127.0.0.1:
// pictures, refusals and limits, each as the window receives it.
#include <gtest/gtest.h>

#include "picture_site.h"

#include <map>
#include <memory>

#include "preview/picture_decode.h"
#include "preview/picture_loader.h"
#include "preview/rich_edit_picture.h"
#include "com_apartment.h"
#include "tessivar_version.h"

namespace tessivar {
namespace {

using pictures::Failure;
using testing::kBlue;
using testing::kGreen;
using testing::kRed;

constexpr UINT kPictureMessage = WM_APP + 7;
constexpr COLORREF kBackground = RGB(0x20, 0x30, 0x40);

// A message-only window that keeps each result the loader posts.
class Receiver {
public:
    Receiver() {
        WNDCLASSW kind{};
        kind.lpfnWndProc = procedure;
        kind.hInstance = GetModuleHandleW(nullptr);
        kind.lpszClassName = L"PictureReceiver";
        RegisterClassW(&kind);
        window_ = CreateWindowExW(0, L"PictureReceiver", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, this);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Receiver() {
        discard_posted_pictures(window_, kPictureMessage);
        DestroyWindow(window_);
    }
    HWND window() const { return window_; }

    // Handles messages until `count` results are in or `ms` have passed.
    bool wait_for(std::size_t count, DWORD ms) {
        const DWORD start = GetTickCount();
        while (results.size() < count && GetTickCount() - start < ms) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
        return results.size() >= count;
    }

    std::map<std::string, std::unique_ptr<PictureResult>> results;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        auto* self = reinterpret_cast<Receiver*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message != kPictureMessage || !self) return DefWindowProcW(window, message, wparam, lparam);
        auto result = take_picture_result(lparam);
        self->results[result->address] = std::move(result);
        return 0;
    }
    HWND window_ = nullptr;
};

// The pixel at (x, y) as red, green and blue.
testing::Colour pixel(const Picture& picture, std::uint32_t x, std::uint32_t y) {
    const std::uint8_t* at = &picture.pixels[(static_cast<std::size_t>(y) * picture.size.width + x) * 4];
    return {at[2], at[1], at[0]};
}

bool looks_like(testing::Colour got, testing::Colour want) {
    const auto close = [](int a, int b) { return a - b < 24 && b - a < 24; };  // JPEG drifts a little
    return close(got.red, want.red) && close(got.green, want.green) && close(got.blue, want.blue);
}

class PictureLoaderTest : public ::testing::Test {
protected:
    testing::PictureSite server;
    Receiver receiver;

    std::optional<pictures::Refusal> refusal_of(const std::string& path) {
        const auto found = receiver.results.find(server.address(path));
        if (found == receiver.results.end()) return pictures::Refusal{Failure::NetworkError, "no result"};
        return found->second->refusal;
    }
    const Picture* picture_of(const std::string& path) {
        const auto found = receiver.results.find(server.address(path));
        return found == receiver.results.end() ? nullptr : found->second->picture.get();
    }
};

TEST_F(PictureLoaderTest, EachPictureArrivesOrSaysWhyNot) {
    PictureLoader loader(receiver.window(), kPictureMessage, kBackground);
    const std::vector<std::string> paths = {"/red.png", "/green.jpg", "/blue.gif", "/wide.png", "/clear.png",
                                            "/missing.png", "/page.html", "/picture.webp", "/huge.png", "/endless",
                                            "/loop", "/hop/5", "/hop/6", "/to-file", "/silent"};
    for (const std::string& path : paths) loader.load(server.address(path), 200);
    loader.load("ftp://127.0.0.1/red.png", 200);
    ASSERT_TRUE(receiver.wait_for(paths.size() + 1, pictures::kTimeLimitMs + 60'000));

    const struct {
        const char* path;
        testing::Colour colour;
        std::uint32_t width, height;
    } shown[] = {
        {"/red.png", kRed, 160, 80},
        {"/green.jpg", kGreen, 160, 80},
        {"/blue.gif", kBlue, 160, 80},
        {"/wide.png", kRed, 200, 50},  // scaled down to the width, never up
        {"/hop/5", kRed, 160, 80},     // five redirects are allowed
        {"/clear.png", {0x20, 0x30, 0x40}, 8, 8},    // transparent: the post's background
    };
    for (const auto& want : shown) {
        const Picture* picture = picture_of(want.path);
        ASSERT_TRUE(picture) << want.path << ": " << pictures::reason_text(*refusal_of(want.path));
        EXPECT_EQ(picture->size, (pictures::PixelSize{want.width, want.height})) << want.path;
        ASSERT_EQ(picture->pixels.size(), std::size_t{want.width} * want.height * 4);
        const testing::Colour centre = pixel(*picture, want.width / 2, want.height / 2);
        EXPECT_TRUE(looks_like(centre, want.colour)) << want.path << " shows " << int(centre.red) << ","
                                               << int(centre.green) << "," << int(centre.blue);
    }

    using pictures::Refusal;
    EXPECT_EQ(refusal_of("/missing.png"), (Refusal{Failure::NotFound, "HTTP 404"}));
    EXPECT_EQ(refusal_of("/page.html"), (Refusal{Failure::NotAPicture, "text/html"}));
    EXPECT_EQ(refusal_of("/picture.webp"), (Refusal{Failure::UnreadableFormat, "WebP"}));
    EXPECT_EQ(refusal_of("/huge.png"), (Refusal{Failure::TooManyPixels, "20000×20000"}));
    EXPECT_EQ(refusal_of("/endless"), (Refusal{Failure::TooManyBytes, ""}));
    EXPECT_EQ(refusal_of("/loop"), (Refusal{Failure::TooManyRedirects, ""}));
    EXPECT_EQ(refusal_of("/hop/6"), (Refusal{Failure::TooManyRedirects, ""}));
    EXPECT_EQ(refusal_of("/to-file"), (Refusal{Failure::RefusedAddress, ""}));
    EXPECT_EQ(refusal_of("/silent"), (Refusal{Failure::NoAnswer, ""}));
    ASSERT_TRUE(receiver.results.count("ftp://127.0.0.1/red.png"));
    EXPECT_EQ(receiver.results["ftp://127.0.0.1/red.png"]->refusal, (Refusal{Failure::RefusedAddress, ""}));

    // Each hop set a cookie; none went back.
    const auto requests = server.requests();
    EXPECT_GE(requests.size(), paths.size() + 10);
    for (const std::string& head : requests) {
        EXPECT_EQ(head.find("Cookie:"), std::string::npos) << head;
        EXPECT_NE(head.find("User-Agent: Tessivar/" TESSIVAR_VERSION_TEXT "\r\n"), std::string::npos) << head;
    }
}

TEST_F(PictureLoaderTest, CancelledLoadsSayNothingAndClosingNeverWaitsOnTheNetwork) {
    auto loader = std::make_unique<PictureLoader>(receiver.window(), kPictureMessage, kBackground);
    std::vector<std::string> silent;
    DWORD slowest_call = 0;
    for (int i = 0; i < 20; ++i) {
        silent.push_back(server.address("/silent?" + std::to_string(i)));
        const DWORD before = GetTickCount();
        loader->load(silent.back(), 100);
        slowest_call = std::max(slowest_call, GetTickCount() - before);
    }
    loader->load(server.address("/red.png"), 100);
    const std::vector<std::string> keep = {server.address("/red.png")};
    loader->keep_only(keep);
    ASSERT_TRUE(receiver.wait_for(1, 60'000));
    EXPECT_TRUE(receiver.results.count(keep[0]) && receiver.results[keep[0]]->picture);
    EXPECT_FALSE(receiver.wait_for(2, 300)) << "a cancelled load reported";

    for (const std::string& address : silent) loader->load(address, 100);
    receiver.wait_for(2, 300);
    const DWORD before = GetTickCount();
    loader.reset();
    const DWORD closing = GetTickCount() - before;
    // Neither a load nor the closing waits on the silent server: either
    // would last at least the loader's own time limit.
    EXPECT_LT(closing, pictures::kTimeLimitMs / 2);
    EXPECT_LT(slowest_call, pictures::kTimeLimitMs / 2);
    EXPECT_EQ(receiver.results.size(), 1u);
}

// A red picture as the loader makes one, its left column blue, its top row green.
std::unique_ptr<Picture> painted(std::uint32_t width, std::uint32_t height) {
    auto picture = std::make_unique<Picture>();
    picture->size = {width, height};
    for (std::uint32_t i = 0; i < width * height; ++i) {
        const testing::Colour c = i % width == 0 ? kBlue : i < width ? kGreen : kRed;
        picture->pixels.insert(picture->pixels.end(), {c.blue, c.green, c.red, 0});
    }
    return picture;
}

struct RichEdit {
    HWND control = nullptr;
    RichEdit() {
        LoadLibraryW(L"msftedit.dll");
        control = CreateWindowExW(0, L"RICHEDIT50W", L"", WS_POPUP | WS_VISIBLE | ES_MULTILINE | ES_READONLY, 0, 0,
                                  400, 200, nullptr, nullptr, nullptr, nullptr);
    }
    ~RichEdit() { DestroyWindow(control); }
    std::wstring text() const {
        std::wstring text(256, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), 256)));
        return text;
    }
    testing::Colour at(POINT p) const {
        HDC dc = GetDC(control);
        const COLORREF c = GetPixel(dc, p.x, p.y);
        ReleaseDC(control, dc);
        return {GetRValue(c), GetGValue(c), GetBValue(c)};
    }
};

// Sizes a decoder would meet only after making every pixel, refused from
// the bytes before any decoder is made: no pixel is held.
TEST(PictureDecode, HostileSizesRefusedBeforeAnyDecoder) {
    testing::ComApartment com;
    const std::string ico_entry("\0\0\1\0\1\0\0\0\0\0\1\0\x20\0\x21\0\0\0\x16\0\0\0", 22);
    const std::string tem_then_frame("\xFF\xD8\xFF\x01\xFF\xC0\x00\x11\x08\xEA\x60\xEA\x60", 13);
    const std::string one_by_one_screen("GIF89a\x01\0\x01\0\0\0\0", 13);
    const std::string wide_image("\x2C\0\0\0\0\x60\xEA\x60\xEA\0\x02\x02\x4C\x01\0;", 16);
    const struct {
        const char* name;
        std::string body;
        pictures::Refusal refusal;
    } cases[] = {
        {"an icon holding a 60000x60000 PNG", ico_entry + testing::announced_png(60'000),
         {Failure::TooManyPixels, "60000×60000"}},
        {"a JPEG's frame behind TEM", tem_then_frame, {Failure::TooManyPixels, "60000×60000"}},
        {"a GIF's image past its screen", one_by_one_screen + wide_image, {Failure::TooManyPixels, "60000×60000"}},
        {"a TIFF without its first page", std::string("II*\0\x08\0\0\0\0\0", 10), {Failure::UnreadableFormat, "TIFF"}},
        {"bytes of no format", "<svg/>", {Failure::UnreadableFormat, "неизвестный"}},
    };
    const auto held = std::make_shared<pictures::HeldBytes>();
    for (const auto& c : cases) {
        const auto decoded = decode_picture(
            {reinterpret_cast<const std::uint8_t*>(c.body.data()), c.body.size()}, 640, kBackground, held);
        ASSERT_TRUE(std::holds_alternative<pictures::Refusal>(decoded)) << c.name;
        EXPECT_EQ(std::get<pictures::Refusal>(decoded), c.refusal) << c.name;
    }
    EXPECT_EQ(held->held(), 0u);
}

// Pixels exactly where they were: Wine reads an RTF picture's bits from
// four bytes too far, which shifts every row by a pixel.
TEST(RichEditPicture, TakesThePlaceholdersPlaceWithEveryPixelInItsPlace) {
    testing::ComApartment com;
    RichEdit edit;
    const std::wstring placeholder_text = L"Картинка: http://x.example/a.png";
    SetWindowTextW(edit.control, (L"before " + placeholder_text + L" after").c_str());
    const auto picture = painted(40, 20);
    const CHARRANGE placeholder{7, 7 + static_cast<LONG>(placeholder_text.size())};
    ASSERT_TRUE(place_picture(edit.control, placeholder, *picture, SIZE{40, 20}, 96));
    EXPECT_EQ(edit.text().substr(0, 7), L"before ");
    EXPECT_EQ(edit.text().substr(8), L" after");
    SendMessageW(edit.control, EM_SETSEL, 0, 0);  // the caret away from the picture's edge
    UpdateWindow(edit.control);

    POINTL object{};
    SendMessageW(edit.control, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&object), 7);
    POINTL next{};
    SendMessageW(edit.control, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&next), 8);
    EXPECT_EQ(next.x - object.x, 40);
    // Its box ends on the line's base: its bottom row is the lowest red one.
    LONG bottom = object.y + 40;
    while (bottom > object.y && !looks_like(edit.at({object.x + 20, bottom}), kRed)) --bottom;
    ASSERT_GT(bottom, object.y) << "no picture drawn";
    EXPECT_TRUE(looks_like(edit.at({object.x, bottom}), kBlue));
    EXPECT_TRUE(looks_like(edit.at({object.x + 1, bottom}), kRed));
    EXPECT_TRUE(looks_like(edit.at({object.x + 39, bottom}), kRed));
    EXPECT_TRUE(looks_like(edit.at({object.x + 39, bottom - 18}), kRed));
    EXPECT_TRUE(looks_like(edit.at({object.x + 39, bottom - 19}), kGreen));
    EXPECT_TRUE(looks_like(edit.at({object.x + 1, bottom - 19}), kGreen));
}

}  // namespace
}  // namespace tessivar
