// The preview's pictures from a loopback site: each in its place, read from
// the preview's pixels, and each failure's reason after its address.
#include "picture_site.h"
#include "preview_fixture.h"

namespace tessivar::testing {
namespace {

bool looks_like(COLORREF got, Colour want) {
    const auto close = [](int a, int b) { return a - b < 24 && b - a < 24; };  // JPEG drifts a little
    return close(GetRValue(got), want.red) && close(GetGValue(got), want.green) && close(GetBValue(got), want.blue);
}

class PreviewPicturesTest : public PreviewTest {
protected:
    // Pumps until the preview shows every part, for a minute at most.
    bool shows_in_time(const std::vector<std::wstring>& parts) {
        return pump_until([&] {
            const std::wstring now = text();
            const auto found = [&](const std::wstring& part) { return now.find(part) != std::wstring::npos; };
            return std::all_of(parts.begin(), parts.end(), found);
        });
    }

    // The picture's box: its character's place, and its bottom row found by colour.
    RECT box_of(const bbcode::Span& placeholder, LONG width, LONG height, Colour colour) const {
        POINTL at{};
        const LONG position = preview->shown_at(placeholder.start);
        SendMessageW(preview->RichEdit1, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), position);
        HDC dc = GetDC(preview->RichEdit1);
        LONG bottom = at.y + 3 * height;
        while (bottom > at.y && !looks_like(GetPixel(dc, at.x + width / 2, bottom), colour)) --bottom;
        ReleaseDC(preview->RichEdit1, dc);
        return {at.x, bottom + 1 - height, at.x + width, bottom + 1};
    }

    bool filled_with(RECT box, Colour colour) const {
        HDC dc = GetDC(preview->RichEdit1);
        bool filled = true;
        for (LONG y = box.top; y < box.bottom; y += 7) {
            for (LONG x = box.left; x < box.right; x += 7) filled = filled && looks_like(GetPixel(dc, x, y), colour);
        }
        filled = filled && looks_like(GetPixel(dc, box.right - 1, box.bottom - 1), colour);
        ReleaseDC(preview->RichEdit1, dc);
        return filled;
    }

    PictureSite site;
};

TEST_F(PreviewPicturesTest, AMapsPressShowsItsScreenshotCentredAndEveryFailureItsReason) {
    type(form->control("LabeledEdit2"), site.address("/red.png"));
    click(form->Button1);
    const std::vector<std::string> more = {"/green.jpg", "/blue.gif", "/missing.png", "/page.html",
                                           "/picture.webp", "/huge.png", "/endless", "/loop"};
    std::string short_pane;
    for (const std::string& path : more) short_pane += "[img]" + site.address(path) + "[/img] после\r\n";
    type(form->Disc1, short_pane + "[img]pictures/local.png[/img]\r\n");
    open_preview();
    ASSERT_EQ(preview->pictures().size(), 10u);

    const std::wstring placeholder = L"Картинка: ";
    ASSERT_TRUE(shows_in_time({L"/missing.png — не найдена (HTTP 404) после", L"не картинка (text/html)",
                               L"формат не читается системой (WebP)", L"слишком большая: 20000×20000 точек",
                               L"слишком большая: больше 16 МиБ", L"больше 5 перенаправлений",
                               L"local.png — адрес отклонён"}))
        << narrow(text());
    for (const char* path : {"/red.png", "/green.jpg", "/blue.gif"}) {
        EXPECT_FALSE(shows(placeholder + widen(site.address(path)))) << path;
    }
    // Each placeholder became one character, the text around it untouched.
    const std::wstring heading = L"Краткое описание\r";
    const std::size_t first = static_cast<std::size_t>(where(heading)) + heading.size();
    EXPECT_EQ(text().substr(first + 1, 7), L" после\r");
    EXPECT_EQ(text().substr(first + 9, 7), L" после\r");
    UpdateWindow(preview->RichEdit1);

    // The short pane's pictures first, then the maps screenshot, centred.
    const auto& places = preview->pictures();
    EXPECT_TRUE(filled_with(box_of(places[0], 160, 80, kGreen), kGreen));
    EXPECT_TRUE(filled_with(box_of(places[1], 160, 80, kBlue), kBlue));
    const RECT red = box_of(places[9], 160, 80, kRed);
    EXPECT_TRUE(filled_with(red, kRed));
    RECT area{};
    SendMessageW(preview->RichEdit1, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
    EXPECT_NEAR((red.left + red.right) / 2, (area.left + area.right) / 2, 3);

    // Shown again without a fetch once the panes change.
    const std::size_t fetched = site.requests().size();
    const HWND before = shown();
    type(form->Disc1, "[img]" + site.address("/green.jpg") + "[/img]\r\n");
    preview->follow();
    ASSERT_TRUE(pump_until([&] { return shown() != before && !preview->rendering(); })) << "rendered again";
    EXPECT_FALSE(shows(placeholder + widen(site.address("/green.jpg"))));
    EXPECT_EQ(site.requests().size(), fetched);
}

// An address typed key by key while the preview follows is fetched once it
// stands, never half typed; one that stays gone from the post is not fetched.
TEST_F(PreviewPicturesTest, AnAddressBeingTypedIsFetchedOnlyOnceItStands) {
    open_preview();
    const std::string whole = site.address("/green.jpg");
    const std::size_t path_at = whole.size() - std::string("/green.jpg").size();
    for (std::size_t length = path_at + 2; length <= whole.size(); ++length) {
        const HWND before = shown();
        type(form->Disc1, "[img]" + whole.substr(0, length) + "[/img]");
        preview->follow();
        ASSERT_TRUE(pump_until([&] { return shown() != before && !preview->rendering(); })) << length;
    }
    EXPECT_TRUE(pump_until([&] { return !shows(L"Картинка: " + widen(whole)); })) << narrow(text());
    std::vector<std::string> asked;
    for (const std::string& head : site.requests()) {
        const std::size_t from = head.find(' ') + 1;
        asked.push_back(head.substr(from, head.find(' ', from) - from));
    }
    EXPECT_EQ(asked, std::vector<std::string>{"/green.jpg"});
}

}  // namespace
}  // namespace tessivar::testing
