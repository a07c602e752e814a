// Big inputs, every kind of character, and long use: nothing is cut, changed
// or leaked on the way from the controls through a press and a copy.
#include "form_fixture.h"

#include <psapi.h>

#include <cstdio>

#include "tests/host/tab_snapshots.h"

namespace tessivar::testing {
namespace {

// Lines of about 60 characters, Cyrillic and Latin mixed, up to `bytes` of UTF-8.
std::string memo_text(std::size_t bytes, char tag) {
    const std::string line = std::string("Строка ") + tag + " mixed Кириллица and Latin text, номер ";
    std::string text;
    text.reserve(bytes + 128);
    for (int n = 0; text.size() < bytes; ++n) text += line + std::to_string(n) + "\r\n";
    return text;
}

std::string one_line(std::size_t bytes, char tag) { return std::string(bytes, tag); }

void expect_panes(const TFMain& form, const Description& d) {
    // Compared as whole texts, but reported by size: a mismatch of megabytes is no reading.
    const std::string short_text = text_of(form.Disc1), full_text = text_of(form.Disc2);
    const std::string short_expected = pane(d.short_lines), full_expected = pane(d.full_lines);
    EXPECT_TRUE(short_text == short_expected) << short_text.size() << " bytes, expected " << short_expected.size();
    EXPECT_TRUE(full_text == full_expected) << full_text.size() << " bytes, expected " << full_expected.size();
}

using BigInputs = FormTest;

TEST_F(BigInputs, SixteenMebibytesInEveryMemoAndOneInEveryFieldComeOutWhole) {
    constexpr std::size_t kMemo = 16u << 20, kField = 1u << 20;
    for (HWND box :
         {form->control("Memo1"), form->control("Edit2"), form->Disc2}) {  // nor does the user's typing or pasting
        EXPECT_GE(SendMessageW(box, EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE) << "no length limit";
    }
    const auto fill = [](HWND control, const std::string& text) { type(control, text); return text; };

    MapTab map;
    map.Edit2 = fill(form->control("Edit2"), one_line(kField, 'a'));
    map.ComboBox1 = fill(form->control("ComboBox1"), one_line(kField, 'b'));
    map.Edit1 = fill(form->control("Edit1"), one_line(kField, 'c'));
    map.CheckBox1 = false;
    click(form->control("CheckBox1"));
    map.ComboBox2 = fill(form->control("ComboBox2"), one_line(kField, 'd'));
    map.ComboBox3 = fill(form->control("ComboBox3"), one_line(kField, 'e'));
    map.ComboBox4 = fill(form->control("ComboBox4"), one_line(kField, 'f'));
    map.ComboBox5 = fill(form->control("ComboBox5"), one_line(kField, 'g'));
    map.LabeledEdit2 = fill(form->control("LabeledEdit2"), one_line(kField, 'h'));
    map.Memo1 = memo_lines(fill(form->control("Memo1"), memo_text(kMemo, 'm')));
    map.Edit7 = fill(form->control("Edit7"), one_line(kField, 'i'));
    click(form->Button1);
    expect_panes(*form, describe_map(map));

    SoundTab sound;
    sound.Edit8 = fill(form->control("Edit8"), one_line(kField, 'j'));
    sound.Edit9 = fill(form->control("Edit9"), one_line(kField, 'k'));
    sound.ComboBox12 = fill(form->control("ComboBox12"), one_line(kField, 'l'));
    sound.ComboBox9 = fill(form->control("ComboBox9"), one_line(kField, 'n'));
    sound.ComboBox10 = fill(form->control("ComboBox10"), one_line(kField, 'o'));
    sound.ComboBox11 = fill(form->control("ComboBox11"), one_line(kField, 'p'));
    sound.Edit11 = fill(form->control("Edit11"), one_line(kField, 'q'));
    sound.Memo6 = memo_lines(fill(form->control("Memo6"), memo_text(kMemo, 's')));
    click(form->Button9);
    expect_panes(*form, describe_sound(sound));

    ModelTab model;
    model.Edit4 = fill(form->control("Edit4"), one_line(kField, 'r'));
    model.Edit5 = fill(form->control("Edit5"), one_line(kField, 't'));
    model.CheckBox2 = false;
    click(form->control("CheckBox2"));
    model.Memo2 = memo_lines(fill(form->control("Memo2"), memo_text(kMemo, '2')));
    model.Memo5 = memo_lines(fill(form->control("Memo5"), memo_text(kMemo, '5')));
    model.Memo3 = memo_lines(fill(form->control("Memo3"), memo_text(kMemo, '3')));
    click(form->Button3);
    expect_panes(*form, describe_model(model));

    TextureTab texture;
    texture.Edit3 = fill(form->control("Edit3"), one_line(kField, 'u'));
    texture.Edit6 = fill(form->control("Edit6"), one_line(kField, 'v'));
    texture.CheckBox3 = false;
    click(form->control("CheckBox3"));
    texture.ComboBox7 = fill(form->control("ComboBox7"), one_line(kField, 'w'));
    texture.ComboBox8 = fill(form->control("ComboBox8"), one_line(kField, 'x'));
    texture.Memo4 = memo_lines(fill(form->control("Memo4"), memo_text(kMemo, '4')));
    click(form->Button2);
    expect_panes(*form, describe_texture(texture));
}

using TextFidelity = FormTest;

TEST_F(TextFidelity, EveryKindOfCharacterReachesTheClipboardUnchanged) {
    const std::vector<std::string> samples = {
        "Кириллица и Latin",
        "\tтабуляция\tвнутри\t",
        "[b]теги[/b] [url=x]] [[/color]",
        "e\u0301 и\u0306 combining marks",
        "שלום עולם مرحبا بالعالم",
        "😀 𝄞 𠜎 beyond the basic plane",
        "halves of a pair alone: \xED\xA0\xBD and \xED\xB8\x80, as pasted",  // U+D83D, U+DE00, as WTF-8
        "  blanks at both ends  ",
    };
    MapTab tab;
    tab.CheckBox1 = false;
    click(form->control("CheckBox1"));
    HWND fields[] = {form->control("Edit2"),     form->control("ComboBox1"),    form->control("Edit1"),
                     form->control("ComboBox2"), form->control("ComboBox3"),    form->control("ComboBox4"),
                     form->control("ComboBox5"), form->control("LabeledEdit2"), form->control("Edit7")};
    std::string* values[] = {&tab.Edit2, &tab.ComboBox1, &tab.Edit1, &tab.ComboBox2, &tab.ComboBox3,
                             &tab.ComboBox4, &tab.ComboBox5, &tab.LabeledEdit2, &tab.Edit7};
    for (std::size_t i = 0; i < std::size(values); ++i) {
        *values[i] = samples[i % samples.size()];
        type(fields[i], *values[i]);
    }
    std::string memo;
    for (const auto& sample : samples) memo += sample + "\r\n";
    type(form->control("Memo1"), memo);
    tab.Memo1 = samples;

    click(form->Button1);
    const Description expected = describe_map(tab);
    click(form->Button7);
    EXPECT_EQ(narrow(clipboard_text()), pane(expected.short_lines));
    click(form->Button8);
    EXPECT_EQ(narrow(clipboard_text()), pane(expected.full_lines));
}

// Every window of this thread, child windows included: the USER objects a
// press could leak, counted where the system does not report them.
DWORD thread_windows() {
    DWORD count = 0;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND top, LPARAM n) {
        ++*reinterpret_cast<DWORD*>(n);
        EnumChildWindows(top, [](HWND, LPARAM m) { ++*reinterpret_cast<DWORD*>(m); return TRUE; }, n);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&count));
    return count;
}

struct Usage {
    DWORD gdi_objects, user_objects, windows, handles;
    SIZE_T private_bytes;
};

Usage usage_now() {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    return {GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS),
            thread_windows(), handles, memory.PrivateUsage};
}

using Endurance = FormTest;

TEST_F(Endurance, TwoThousandPressesOfEveryButtonGrowNothing) {
    const std::vector<HWND> buttons = {form->Button1, form->Button9, form->Button3, form->Button2,
                                       form->Button7, form->Button8};
    const auto press_all = [&](int times) {
        for (HWND button : buttons) {
            for (int i = 0; i < times; ++i) SendMessageW(button, BM_CLICK, 0, 0);
            pump();
        }
    };
    press_all(50);  // let caches and the heap settle first
    const Usage before = usage_now();
    press_all(2000);
    const Usage after = usage_now();
    EXPECT_EQ(after.windows, before.windows);
    EXPECT_LE(after.handles, before.handles + 10);
    EXPECT_LE(after.private_bytes, before.private_bytes + (4u << 20))
        << "private bytes grew from " << before.private_bytes << " to " << after.private_bytes;
    // Windows counts the GDI and USER objects; Wine answers zero, and the
    // windows, handles and bytes above are what it can measure.
    if (before.gdi_objects == 0 && before.user_objects == 0) {
        std::printf("SKIP GDI and USER object counts: this system does not report them\n");
    } else {
        EXPECT_LE(after.gdi_objects, before.gdi_objects + 5);
        EXPECT_LE(after.user_objects, before.user_objects + 5);
    }
}

}  // namespace
}  // namespace tessivar::testing
