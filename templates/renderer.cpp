// Running a program over a snapshot. Fields do not change while it runs, so a
// loop's body is run once, its conditions decided, and what it gives is
// replayed for each line: the work is the template's size plus the output.
#include <algorithm>
#include <map>
#include <utility>

#include "templates/program.h"

namespace tessivar::templates {
namespace {

// What a loop's body gives, replayed for each line of its box.
struct Piece {
    enum Kind : std::uint8_t { Text, Joined, BoxLines, Current, Break } kind;
    std::string_view text = {};
    const Lines* lines = nullptr;
    Lines* movable = nullptr;  // BoxLines outside loops, where the box is read once
};

class Renderer {
public:
    Renderer(const Program& program, const FieldValues& values, std::size_t limit)
        : program_(program), values_(values), limit_(limit) {}

    // False where a loop would pass the limit; `loop_at` is then its tag's offset.
    bool run(const std::vector<Op>& ops, Lines& out) {
        out_ = &out;
        wrote_after_ = 0;
        out.reserve(out.size() + lines_outside_loops(ops));
        for (std::size_t pc = 0; pc < ops.size(); ++pc) {
            const Op& op = ops[pc];
            const FieldValue& value = values_[op.field];
            pc_ = pc;
            switch (op.kind) {
                case OpKind::Text: put({Piece::Text, std::string_view(program_.pool).substr(op.at, op.size)}); break;
                case OpKind::Field:
                    put(value.lines ? Piece{Piece::Joined, {}, value.lines} : Piece{Piece::Text, value.text});
                    break;
                case OpKind::BoxLines: put({Piece::BoxLines, {}, value.lines, movable(op.field)}); break;
                case OpKind::FirstLine:
                    if (value.has) put({Piece::Text, value.lines->front()});
                    break;
                case OpKind::Current: put({Piece::Current}); break;
                case OpKind::LineBreak: put({Piece::Break}); break;
                case OpKind::LineEnd: end_line(op.at); break;
                case OpKind::If:
                    if (!value.has) pc = op.size - 1;
                    break;
                case OpKind::Else: pc = op.size - 1; break;
                case OpKind::End: break;
                case OpKind::Loop:
                    recording_ = true;
                    body_.clear();
                    blank_body_.clear();
                    body_bytes_ = blank_bytes_ = currents_ = 0;
                    body_wrote_after_ = current_wrote_after_ = 0;
                    loop_at = op.at;
                    break;
                case OpKind::LoopEnd:
                    recording_ = false;
                    if (!repeat(*value.lines, op.skip_first)) return false;
                    break;
            }
        }
        if (!line_.empty()) line_break();  // a condition skipped the last break
        return true;
    }

    std::size_t loop_at = 0;

private:
    // Reserved at once: a box's lines are moved, and a vector grown past them
    // would move them all again.
    std::size_t lines_outside_loops(const std::vector<Op>& ops) const {
        std::size_t lines = 0;
        for (const Op& op : ops) {
            if (op.kind == OpKind::LineBreak || op.kind == OpKind::LineEnd) ++lines;
            if (op.kind == OpKind::BoxLines) lines += values_[op.field].lines->size();
        }
        return lines;
    }

    Lines* movable(std::uint8_t field) const {
        return (program_.movable >> field) & 1u ? values_[field].movable : nullptr;
    }

    // Pieces that give nothing are dropped, so that replaying costs no more than it writes.
    void put(Piece piece) {
        if ((piece.kind == Piece::Text && piece.text.empty()) || (piece.lines && piece.lines->empty()) ||
            (piece.kind == Piece::Joined && piece.lines->size() == 1 && piece.lines->front().empty())) {
            return;
        }
        if (!recording_) {
            wrote_after_ = pc_ + 1;
            return write(piece, {});
        }
        (piece.kind == Piece::Current ? current_wrote_after_ : body_wrote_after_) = pc_ + 1;
        piece.movable = nullptr;
        body_.push_back(piece);
        if (piece.kind == Piece::Current) {
            ++currents_;
            return;
        }
        blank_body_.push_back(piece);
        const std::size_t bytes = piece.lines ? box_bytes(*piece.lines) : piece.text.size() + 1;
        body_bytes_ += bytes;
        blank_bytes_ += bytes;
    }

    // Each line's bytes and its break; counted once per box.
    std::size_t box_bytes(const Lines& lines) {
        auto [it, counted] = box_bytes_.try_emplace(&lines, 0);
        if (counted) {
            for (const std::string& line : lines) it->second += line.size() + 1;
        }
        return it->second;
    }

    bool repeat(const Lines& lines, bool skip_first) {
        std::size_t bytes = 0;
        bool any_line = false, any_text = false;
        for (std::size_t i = skip_first ? 1 : 0; i < lines.size() && bytes <= limit_; ++i) {
            bytes += lines[i].empty() ? blank_bytes_ : body_bytes_ + currents_ * lines[i].size();
            any_line = true;
            any_text = any_text || !lines[i].empty();
        }
        if (bytes > limit_) return false;
        for (std::size_t i = skip_first ? 1 : 0; i < lines.size(); ++i) {
            for (const Piece& piece : lines[i].empty() ? blank_body_ : body_) write(piece, lines[i]);
        }
        // What the body wrote counts for the line its ops stand on, the {конец}'s among them.
        if (any_line) wrote_after_ = std::max(wrote_after_, body_wrote_after_);
        if (any_text) wrote_after_ = std::max(wrote_after_, current_wrote_after_);
        return true;
    }

    // The end of a line with control tags: a line only where one of its ops
    // wrote. In a loop's body the {строка} of an empty line writes nothing.
    void end_line(std::size_t first) {
        const bool wrote = wrote_after_ > first;
        if (!recording_) {
            if (wrote) line_break();
            return;
        }
        const bool body_wrote = wrote || body_wrote_after_ > first;
        if (body_wrote || current_wrote_after_ > first) {
            body_.push_back({Piece::Break});
            ++body_bytes_;
        }
        if (body_wrote) {
            blank_body_.push_back({Piece::Break});
            ++blank_bytes_;
        }
    }

    void write(const Piece& piece, std::string_view current) {
        switch (piece.kind) {
            case Piece::Text: line_ += piece.text; break;
            case Piece::Current: line_ += current; break;
            case Piece::Break: line_break(); break;
            case Piece::Joined:
                for (std::size_t i = 0; i < piece.lines->size(); ++i) {
                    if (i > 0) line_break();
                    line_ += (*piece.lines)[i];
                }
                break;
            case Piece::BoxLines: write_box_lines(piece); break;
        }
    }

    void write_box_lines(const Piece& piece) {
        Lines& out = *out_;
        const std::size_t needed = out.size() + piece.lines->size();
        if (out.capacity() < needed) out.reserve(std::max(needed, 2 * out.capacity()));
        for (std::size_t i = 0; i < piece.lines->size(); ++i) {
            if (piece.movable && line_.empty()) {
                out.push_back(std::move((*piece.movable)[i]));
            } else {
                line_ += (*piece.lines)[i];
                line_break();
            }
        }
    }

    void line_break() {
        out_->push_back(std::move(line_));
        line_.clear();
    }

    const Program& program_;
    const FieldValues& values_;
    Lines* out_ = nullptr;
    std::string line_;
    const std::size_t limit_;
    bool recording_ = false;
    std::vector<Piece> body_, blank_body_;  // blank: for an empty line, without its {строка}
    std::size_t body_bytes_ = 0, blank_bytes_ = 0, currents_ = 0;  // what one line writes, besides itself
    // One past the last op that wrote: directly, into a loop's body, or as its {строка}.
    std::size_t pc_ = 0, wrote_after_ = 0, body_wrote_after_ = 0, current_wrote_after_ = 0;
    std::map<const Lines*, std::size_t> box_bytes_;
};

}  // namespace

std::variant<Description, LoopTooLong> run(const Program& program, const FieldValues& values, std::size_t limit) {
    Renderer renderer(program, values, limit);
    Description d;
    if (!renderer.run(program.short_ops, d.short_lines)) return LoopTooLong{false, renderer.loop_at};
    d.full_lines.push_back(credit_line());
    if (!renderer.run(program.full_ops, d.full_lines)) return LoopTooLong{true, renderer.loop_at};
    return d;
}

}  // namespace tessivar::templates
