#include "tests/oracle/oracle.h"

#include <iterator>
#include <utility>

#include "tests/oracle/markup.h"

namespace tessivar::oracle {
namespace {

constexpr std::string_view colour = "Yellow";

std::string yellow(std::string_view caption) { return label(colour, caption); }

std::string textures_heading() { return yellow("Импортируемые текстуры: "); }

// One test for both panes, so they never disagree: any line counts, even an empty one.
bool imports_textures(const ModelTab& tab) { return !tab.Memo2.empty(); }

std::string textures_answer_line(const ModelTab& tab) {
    return bare_line(textures_heading(), imports_textures(tab) ? "Есть" : "Нет");
}

// Author and version: the lines both panes share.
Lines field_lines(const ModelTab& tab) {
    return {
        first_field_line(yellow("Автор модели:"), tab.Edit4),
        version_line(colour, tab.Edit5, tab.CheckBox2, tab.DateTimePicker2),
    };
}

// The paths are moved out of the tab.
void append_textures(Lines& out, ModelTab& tab) {
    if (!imports_textures(tab)) {
        out.push_back(textures_answer_line(tab));
        return;
    }
    out.push_back(textures_heading());
    out.insert(out.end(), std::make_move_iterator(tab.Memo2.begin()),
               std::make_move_iterator(tab.Memo2.end()));
}

// The first image is the centred preview; with none, the line is still written, empty.
std::string_view preview(const Lines& images) {
    return images.empty() ? std::string_view{} : std::string_view{images.front()};
}

// Every image after the preview.
void append_screenshots(Lines& out, const Lines& images) {
    out.push_back(yellow("Скриншоты: "));
    for (std::size_t i = 1; i < images.size(); ++i) out.push_back(image_line(images[i]));
}

}  // namespace

Description describe_model(ModelTab tab) {
    const Lines fields = field_lines(tab);
    Description d;
    d.short_lines = fields;
    d.short_lines.push_back(textures_answer_line(tab));

    Lines& full = d.full_lines;
    full.reserve(10 + tab.Memo2.size() + tab.Memo5.size() + tab.Memo3.size());
    full.push_back(credit_line());
    full.push_back(centred_image_line(preview(tab.Memo5)));
    full.insert(full.end(), fields.begin(), fields.end());
    full.emplace_back();
    append_textures(full, tab);
    full.emplace_back();
    append_screenshots(full, tab.Memo5);
    append_white_block(full, std::move(tab.Memo3));
    return d;
}

}  // namespace tessivar::oracle
