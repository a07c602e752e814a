// A template shared as a file: what is written comes back the same, and a
// file that is not one is refused with its reason.
#include <gtest/gtest.h>

#include <string>

#include "templates/template_file.h"

namespace tessivar {
namespace {

const std::string kSeparator(kTemplateFileSeparator);
const std::string kMarker(kTemplateFileMarker);

TEST(TemplateFile, WhatIsWrittenReadsBackTheSame) {
    const TemplateText cases[] = {
        {"", ""},
        {"[b]{Автор карты}[/b]", "строка 1\nстрока 2"},
        {"\n", "\n\n"},  // blank lines at either end are the template's own
        {"краткое\n", "полное\n"},
        {kMarker + "\n" + kMarker, "{{литерал}}\n" + kMarker},
        {"x\n" + kSeparator + "y", kSeparator},  // the separator inside a line, or after the first one
        {"\xED\xA0\x80 одинокий суррогат", "\xF0\x9F\x98\x80"},
    };
    for (const TemplateText& text : cases) {
        const std::string file = write_template_file(text);
        EXPECT_EQ(file.find("\r\n"), kMarker.size()) << "lines end as Windows' editors write them";
        const TemplateFileRead read = read_template_file(file);
        ASSERT_TRUE(std::holds_alternative<TemplateText>(read)) << std::get<std::string>(read);
        EXPECT_EQ(std::get<TemplateText>(read), text) << file;
    }
}

// Why the first separator line is where the short layout ends: a layout
// without errors never holds that line, on any tab.
TEST(TemplateFile, TheSeparatorLineIsAnErrorInEveryTabsLayout) {
    for (const Tab tab : {Tab::Maps, Tab::Sounds, Tab::Models, Tab::Textures}) {
        EXPECT_TRUE(check_template(tab, {"а\n" + kSeparator + "\nб", ""})) << static_cast<int>(tab);
    }
}

TEST(TemplateFile, EditorsLineEndsAndByteOrderMarkAreRead) {
    const struct {
        std::string file;
        TemplateText text;
    } cases[] = {
        {"\xEF\xBB\xBF" + kMarker + "\nа\nб\n" + kSeparator + "\nв", {"а\nб", "в"}},
        {kMarker + "\r" + "а\r" + kSeparator + "\r" + "в\r\n", {"а", "в\n"}},
        {kMarker + "\n" + kSeparator + "\nв", {"", "в"}},
        // The separator the file's last line, no line break after it.
        {kMarker + "\nа\n" + kSeparator, {"а", ""}},
        {kMarker + "\r\n" + kSeparator, {"", ""}},
        {kMarker + "\rа\r\r" + kSeparator, {"а\n", ""}},
    };
    for (const auto& c : cases) {
        const TemplateFileRead read = read_template_file(c.file);
        ASSERT_TRUE(std::holds_alternative<TemplateText>(read)) << c.file;
        EXPECT_EQ(std::get<TemplateText>(read), c.text) << c.file;
    }
}

TEST(TemplateFile, WhatIsNotATemplateFileIsRefusedWithItsReason) {
    const struct {
        std::string file, reason_part;
    } cases[] = {
        {"", "первая строка"},
        {"[b]Карта[/b]\n" + kSeparator + "\n", "первая строка"},
        {" " + kMarker + "\nа\n" + kSeparator + "\nб", "первая строка"},
        {kMarker, "нет строки"},
        {kMarker + "\nа\nб", "нет строки"},
        {kMarker + "\nа " + kSeparator + "\nб", "нет строки"},
        {kMarker + "\n\xFF\n" + kSeparator + "\n", "UTF-8"},
        {kMarker + "\n\xC0\x80\n" + kSeparator + "\n", "UTF-8"},  // an overlong form
        {kMarker + "\n\xE2\x82\n" + kSeparator, "UTF-8"},       // cut short
        {kMarker + "\nа" + std::string(1, '\0') + "\n" + kSeparator + "\n", "UTF-8"},
        {kMarker + "\n" + kSeparator + "\n" + std::string(kMaxTemplateFileBytes, 'x'), "размером 4,1 МБ больше 4 МБ"},
        {kMarker + "\nа\n" + kSeparator + "x", "нет строки"},
    };
    for (const auto& c : cases) {
        const TemplateFileRead read = read_template_file(c.file);
        ASSERT_TRUE(std::holds_alternative<std::string>(read)) << c.file.substr(0, 80);
        EXPECT_NE(std::get<std::string>(read).find(c.reason_part), std::string::npos)
            << std::get<std::string>(read);
    }
}

// Refused before a byte is read, the size named: rounded up to a tenth, so
// that a file just over the limit never reads as at it.
TEST(TemplateFile, AFileOverTheLimitIsRefusedWithItsSize) {
    constexpr unsigned long long kMiB = 1 << 20;
    const struct {
        unsigned long long bytes;
        std::optional<std::string> problem;
    } cases[] = {
        {0, std::nullopt},
        {kMaxTemplateFileBytes, std::nullopt},
        {kMaxTemplateFileBytes + 1, "Файл размером 4,1 МБ больше 4 МБ: это не файл оформления."},
        {5 * kMiB + kMiB / 4, "Файл размером 5,3 МБ больше 4 МБ: это не файл оформления."},
        {6 * kMiB - 1, "Файл размером 6,0 МБ больше 4 МБ: это не файл оформления."},
        {10240 * kMiB, "Файл размером 10240,0 МБ больше 4 МБ: это не файл оформления."},
    };
    for (const auto& c : cases) EXPECT_EQ(template_file_size_problem(c.bytes), c.problem) << c.bytes;
}

}  // namespace
}  // namespace tessivar
