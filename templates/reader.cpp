// Reading a template's text into a program, in one pass over its lines. The
// first error ends the reading; nesting is kept on a vector, never the stack.
#include <algorithm>
#include <optional>

#include "templates/program.h"

namespace tessivar::templates {
namespace {

constexpr std::size_t longest_name_in_message = 60;

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// The tag's words, trimmed, each run of blanks made one blank; into a reused buffer.
void words_of(std::string_view tag, std::string& words) {
    words.clear();
    for (char c : tag) {
        if (!is_blank(c)) {
            words += c;
        } else if (!words.empty() && words.back() != ' ') {
            words += ' ';
        }
    }
    if (!words.empty() && words.back() == ' ') words.pop_back();
}

// Lower case for Latin and Cyrillic, in place: every character keeps its byte length.
void fold(std::string& out) {
    for (std::size_t i = 0; i < out.size(); ++i) {
        auto c = static_cast<unsigned char>(out[i]);
        if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c + ('a' - 'A'));
        } else if (c == 0xD0 && i + 1 < out.size()) {
            auto n = static_cast<unsigned char>(out[i + 1]);
            if (n >= 0x80 && n <= 0x8F) {  // Ѐ..Џ, Ё among them
                out[i] = static_cast<char>(0xD1);
                out[i + 1] = static_cast<char>(n + 0x10);
            } else if (n >= 0x90 && n <= 0x9F) {  // А..П
                out[i + 1] = static_cast<char>(n + 0x20);
            } else if (n >= 0xA0 && n <= 0xAF) {  // Р..Я
                out[i] = static_cast<char>(0xD1);
                out[i + 1] = static_cast<char>(n - 0x20);
            }
            ++i;
        }
    }
}

// A name as a message quotes it: a pasted page of text is not repeated whole.
std::string quoted(std::string_view words) {
    std::size_t end = 0, characters = 0;
    while (end < words.size() && characters < longest_name_in_message) {
        ++end;
        while (end < words.size() && is_continuation(words[end])) ++end;
        ++characters;
    }
    return end < words.size() ? std::string(words.substr(0, end)) + "…" : std::string(words);
}

// A character's column on its line, from 1.
std::size_t column_of(std::string_view line_before) {
    return 1 + line_before.size() - static_cast<std::size_t>(std::ranges::count_if(line_before, is_continuation));
}

// Where a tag stands; its column is counted only for an error.
TemplateError error_at(bool in_full, std::size_t line_number, std::string_view line_before,
                       std::string_view what) {
    const std::size_t column = column_of(line_before);
    return {in_full, line_number, column,
            "Строка " + std::to_string(line_number) + ", знак " + std::to_string(column) + ": " + std::string(what)};
}

struct Place {
    std::string_view line;
    std::size_t line_number, at;
};

// A second place an error points at, as its message names it.
std::string place_text(std::size_t line_number, std::size_t column) {
    return "строка " + std::to_string(line_number) + ", знак " + std::to_string(column);
}

std::string place_text(const Place& where) {
    return place_text(where.line_number, column_of(where.line.substr(0, where.at)));
}

// The place just past a text's last character: where a missing {конец} was looked for last.
std::string end_place_text(std::string_view text) {
    const TemplateError end = templates::error_at(text, false, text.size(), "");
    return place_text(end.line, end.column);
}

// An {если} or {для …} not yet closed.
struct Block {
    Place place;
    std::string tag;  // as written, for "нет {конец} для {…}"
    bool is_loop = false, seen_else = false;
    std::uint8_t field = 0;
    bool skip_first = false;
};

// A field's name as written, and folded for comparing.
struct Name {
    std::string_view words, key;
};

struct Keyword {
    std::string_view words;  // folded
    OpKind kind;
    bool skip_first = false;
};

// Tags that take a name after them.
constexpr Keyword named_tags[] = {
    {"если", OpKind::If},
    {"для каждой строки", OpKind::Loop},
    {"для остальных строк", OpKind::Loop, true},
    {"первая строка", OpKind::FirstLine},
};

class Reader {
public:
    Reader(Tab tab, Program& program) : shapes_(field_shapes(tab)), program_(program) {
        for (const FieldShape& shape : shapes_) fold(folded_names_.emplace_back(shape.name));
    }

    std::optional<TemplateError> read(std::string_view text, std::vector<Op>& ops, bool in_full) {
        ops_ = &ops;
        text_ = text;
        in_full_ = in_full;
        line_number_ = 0;
        last_end_.reset();
        std::size_t start = 0;
        while (start < text.size()) {
            const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
            ++line_number_;
            if (!read_line(text.substr(start, end - start))) return error_;
            start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
        }
        if (!open_.empty()) fail_unclosed(open_.back());
        return error_;
    }

    // After both texts: a box may lose its lines to the output when nothing else reads them.
    void mark_movable_boxes() {
        for (std::size_t i = 0; i < shapes_.size(); ++i) {
            if (reads_[i] == 1 && !read_in_loop_[i]) program_.movable |= 1u << i;
        }
    }

private:
    bool read_line(std::string_view line) {
        line_ = line;
        line_ops_.clear();
        has_text_ = false;
        std::size_t at = 0, text_from = 0;
        while ((at = line.find_first_of("{}", at)) != line.npos) {
            if (at + 1 < line.size() && line[at + 1] == line[at]) {  // a doubled brace is the brace
                add_text(line.substr(text_from, at + 1 - text_from));
                at += 2;
                text_from = at;
                continue;
            }
            add_text(line.substr(text_from, at - text_from));
            if (line[at] == '}') return fail(place(at), "лишняя «}»; скобку в тексте пишут }}");
            const std::size_t close = line.find('}', at + 1);
            if (close == line.npos) return fail(place(at), "нет «}» для «{»; скобку в тексте пишут {{");
            if (!read_tag(line.substr(at + 1, close - at - 1), place(at))) return false;
            at = text_from = close + 1;
        }
        add_text(line.substr(text_from));
        commit_line();
        return true;
    }

    void add_text(std::string_view text) {
        if (text.empty()) return;
        has_text_ = has_text_ || !std::all_of(text.begin(), text.end(), is_blank);
        if (!line_ops_.empty() && line_ops_.back().kind == OpKind::Text &&
            line_ops_.back().at + line_ops_.back().size == program_.pool.size()) {
            line_ops_.back().size += static_cast<std::uint32_t>(text.size());
        } else {
            line_ops_.push_back({.kind = OpKind::Text,
                                 .at = static_cast<std::uint32_t>(program_.pool.size()),
                                 .size = static_cast<std::uint32_t>(text.size()),
                                 .place = offset_of(text.data())});
        }
        program_.pool += text;
    }

    bool read_tag(std::string_view tag, Place where) {
        words_of(tag, words_);
        key_ = words_;
        fold(key_);
        const std::string_view key = key_, words = words_;
        if (key.empty()) return fail(where, "пустые скобки {}; скобку в тексте пишут {{");
        if (key == "иначе") return read_else(where);
        if (key == "конец") return read_end(where);
        if (key == "строка") {
            if (loops_open_ == 0) return fail(where, "{строка} стоит вне {для каждой строки …}");
            line_ops_.push_back({.kind = OpKind::Current});
            return true;
        }
        for (const Keyword& keyword : named_tags) {
            const std::size_t length = keyword.words.size();
            if (key.starts_with(keyword.words) && (key.size() == length || key[length] == ' ')) {
                const std::size_t name_at = std::min(key.size(), length + 1);
                return read_named(keyword, {words.substr(name_at), key.substr(name_at)}, where);
            }
        }
        return read_field(OpKind::Field, {words, key}, where);
    }

    bool read_named(const Keyword& keyword, Name name, Place where) {
        if (name.words.empty()) return fail(where, "в {" + std::string(keyword.words) + " …} нет имени поля");
        if (keyword.kind == OpKind::FirstLine) return read_field(OpKind::FirstLine, name, where);
        if (open_.size() == max_nesting) return fail(where, "вложенность глубже 32");
        if (keyword.kind == OpKind::Loop && loops_open_ > 0) {
            // Appended, not "{" + …: GCC 12 at -O3 stops on a false -Wrestrict there.
            std::string what = "{";
            what += quoted(words_);
            what += "} внутри другого {для …}";
            return fail(where, what);
        }
        const auto field = field_index(name, where);
        if (!field) return false;
        if (keyword.kind == OpKind::Loop) {
            if (!is_box(*field, name, where)) return false;
            ++loops_open_;
            count_read(*field);
        }
        open_.push_back({.place = where, .tag = words_, .is_loop = keyword.kind == OpKind::Loop,
                         .field = *field, .skip_first = keyword.skip_first});
        line_ops_.push_back({.kind = keyword.kind, .field = *field, .skip_first = keyword.skip_first});
        return true;
    }

    bool read_field(OpKind kind, Name name, Place where) {
        const auto field = field_index(name, where);
        if (!field) return false;
        if (kind == OpKind::FirstLine && !is_box(*field, name, where)) return false;
        if (shapes_[*field].kind == FieldKind::Lines) count_read(*field);
        line_ops_.push_back({.kind = kind, .field = *field, .place = offset_of(where)});
        return true;
    }

    bool read_else(Place where) {
        if (open_.empty() || open_.back().is_loop) return fail(where, "{иначе} стоит вне {если …}");
        if (open_.back().seen_else) {
            return fail(where, "второе {иначе} для {" + quoted(open_.back().tag) + "}");
        }
        open_.back().seen_else = true;
        line_ops_.push_back({.kind = OpKind::Else});
        return true;
    }

    bool read_end(Place where) {
        if (open_.empty()) return fail_stray_end(where);
        const Block& block = open_.back();
        last_end_ = {where, block.place, block.tag};
        if (block.is_loop) {
            --loops_open_;
            line_ops_.push_back({.kind = OpKind::LoopEnd, .field = block.field, .skip_first = block.skip_first,
                                 .place = offset_of(block.place)});
        } else {
            line_ops_.push_back({.kind = OpKind::End});
        }
        open_.pop_back();
        return true;
    }

    // The other end of a block left open: the last {конец}, which closed one
    // inside it instead, or else the text's end.
    void fail_unclosed(const Block& block) {
        std::string what = "нет {конец} для {" + quoted(block.tag) + "}";
        if (last_end_ && offset_of(last_end_->end) > offset_of(block.place)) {
            what += "; последний {конец} (" + place_text(last_end_->end) + ") закрыл {" + quoted(last_end_->tag) + "}";
        } else {
            what += " до конца текста (" + end_place_text(text_) + ")";
        }
        fail(block.place, what);
    }

    // The other end of a stray {конец}: the opening tag the {конец} before it closed.
    bool fail_stray_end(Place where) {
        std::string what = "лишний {конец}: нечего закрывать";
        if (last_end_) {
            what += "; последний открытый {" + quoted(last_end_->tag) + "} (" + place_text(last_end_->opened) +
                    ") уже закрыт";
        }
        return fail(where, what);
    }

    std::optional<std::uint8_t> field_index(Name name, Place where) {
        const auto found = std::find(folded_names_.begin(), folded_names_.end(), name.key);
        if (found == folded_names_.end()) {
            std::string what = "нет поля {" + quoted(name.words) + "}";
            if (const auto near = closest_field(folded_names_, name.key)) {
                what += "; может быть, {" + std::string(shapes_[*near].name) + "}?";
            }
            fail(where, what);
            return std::nullopt;
        }
        return static_cast<std::uint8_t>(found - folded_names_.begin());
    }

    bool is_box(std::uint8_t field, Name name, Place where) {
        if (shapes_[field].kind == FieldKind::Lines) return true;
        return fail(where, "у поля {" + quoted(name.words) + "} одна строка, а перебирают строки многострочного поля");
    }

    void count_read(std::uint8_t field) {
        ++reads_[field];
        if (loops_open_ > 0) read_in_loop_[field] = true;
    }

    // The line's ops into the program. A line with control tags makes a line
    // only where it writes something (so one of tags alone never does); a line
    // holding one box (and control tags) makes the box's lines.
    void commit_line() {
        const auto first = static_cast<std::uint32_t>(ops_->size());
        std::size_t contents = 0, controls = 0;
        Op* content = nullptr;
        for (Op& op : line_ops_) {
            switch (op.kind) {
                case OpKind::Field: case OpKind::FirstLine: case OpKind::Current:
                    ++contents;
                    content = &op;
                    break;
                case OpKind::Text: break;
                default: ++controls;
            }
        }
        const bool standalone = !has_text_ && contents == 0 && controls > 0;
        const bool box_alone = !has_text_ && contents == 1 && content->kind == OpKind::Field &&
                               shapes_[content->field].kind == FieldKind::Lines;
        if (box_alone) content->kind = OpKind::BoxLines;
        for (const Op& op : line_ops_) {
            if ((standalone || box_alone) && op.kind == OpKind::Text) continue;
            append(op);
        }
        if (standalone || box_alone) return;
        const std::uint32_t line_end = offset_of(line_.data() + line_.size());
        append(controls > 0 ? Op{.kind = OpKind::LineEnd, .at = first, .place = line_end}
                            : Op{.kind = OpKind::LineBreak, .place = line_end});
    }

    // Jumps point forward, so they are filled in when their target is reached.
    void append(const Op& op) {
        std::vector<Op>& ops = *ops_;
        const auto here = static_cast<std::uint32_t>(ops.size());
        switch (op.kind) {
            case OpKind::If: case OpKind::Loop:
                jumps_.push_back(here);
                break;
            case OpKind::Else:
                ops[jumps_.back()].size = here + 1;
                jumps_.back() = here;
                break;
            case OpKind::End: case OpKind::LoopEnd:
                ops[jumps_.back()].size = here;
                jumps_.pop_back();
                break;
            default: break;
        }
        ops.push_back(op);
    }

    Place place(std::size_t at) const { return {line_, line_number_, at}; }

    std::uint32_t offset_of(const char* at) const { return static_cast<std::uint32_t>(at - text_.data()); }
    std::uint32_t offset_of(Place where) const { return offset_of(where.line.data() + where.at); }

    bool fail(Place where, const std::string& what) {
        error_ = error_at(in_full_, where.line_number, where.line.substr(0, where.at), what);
        return false;
    }

    std::span<const FieldShape> shapes_;
    std::vector<std::string> folded_names_;
    Program& program_;
    std::vector<Op>* ops_ = nullptr;
    std::string_view text_;
    bool in_full_ = false;
    std::size_t line_number_ = 0;
    std::string_view line_;
    std::vector<Op> line_ops_;
    std::string words_, key_;  // the tag being read
    bool has_text_ = false;
    std::vector<Block> open_;
    // The last {конец} read in this text, and the block it closed.
    struct ClosedBlock {
        Place end, opened;
        std::string tag;
    };
    std::optional<ClosedBlock> last_end_;
    std::vector<std::uint32_t> jumps_;
    std::size_t loops_open_ = 0;
    std::array<std::size_t, max_fields> reads_{};
    std::array<bool, max_fields> read_in_loop_{};
    std::optional<TemplateError> error_;
};

}  // namespace

TemplateError error_at(std::string_view text, bool in_full, std::size_t offset, std::string_view what) {
    std::size_t line_number = 1, line_start = 0;
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
            ++line_number;
            line_start = i + 1;
        }
    }
    return error_at(in_full, line_number, text.substr(line_start, offset - line_start), what);
}

Compiled compile(Tab tab, const TemplateText& text) {
    Program program;
    Reader reader(tab, program);
    if (auto error = reader.read(text.short_text, program.short_ops, false)) return *error;
    if (auto error = reader.read(text.full_text, program.full_ops, true)) return *error;
    reader.mark_movable_boxes();
    return program;
}

}  // namespace tessivar::templates
