// Running a program over a snapshot. Fields do not change while it runs, so a
// loop's body is run once, its conditions decided, and what it gives is
// replayed for each line: the work is the template's size plus the output.
// Each piece's cost is weighed against the budget before it is written, and a
// loop's whole output before its first line, so nothing past the budget is
// ever made.
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
    Renderer(const Program& program, const FieldValues& values, std::size_t budget)
        : program_(program), values_(values), budget_(budget) {}

    // False where an op would pass the budget, both descriptions counted; `over_at` is then its place.
    bool run(const std::vector<Op>& ops, Lines& out) {
        out_ = &out;
        wrote_after_ = 0;
        out.reserve(out.size() + std::min(lines_outside_loops(ops), (budget_ - spent_) / line_cost));
        for (pc_ = 0; pc_ < ops.size(); ++pc_) {
            const Op& op = ops[pc_];
            if (!step(op)) {
                over_at = op.place;
                return false;
            }
        }
        if (!line_.empty()) {  // a condition skipped the last break
            if (!spend(line_cost)) {
                over_at = std::numeric_limits<std::size_t>::max();
                return false;
            }
            line_break();
        }
        return true;
    }

    std::size_t over_at = 0;

private:
    // One op; a jump leaves `pc_` before its target. False where it would pass the budget.
    bool step(const Op& op) {
        const FieldValue& value = values_[op.field];
        switch (op.kind) {
            case OpKind::Text: return put({Piece::Text, std::string_view(program_.pool).substr(op.at, op.size)});
            case OpKind::Field:
                return put(value.lines ? Piece{Piece::Joined, {}, value.lines} : Piece{Piece::Text, value.text});
            case OpKind::BoxLines: return put({Piece::BoxLines, {}, value.lines, movable(op.field)});
            case OpKind::FirstLine: return !value.has || put({Piece::Text, value.lines->front()});
            case OpKind::Current: return put({Piece::Current});
            case OpKind::LineBreak: return put({Piece::Break});
            case OpKind::LineEnd: return end_line(op.at);
            case OpKind::If:
                if (!value.has) pc_ = op.size - 1;
                return true;
            case OpKind::Else: pc_ = op.size - 1; return true;
            case OpKind::End: return true;
            case OpKind::Loop:
                recording_ = true;
                body_.clear();
                blank_body_.clear();
                body_cost_ = blank_cost_ = currents_ = 0;
                body_wrote_after_ = current_wrote_after_ = 0;
                return true;
            case OpKind::LoopEnd:
                recording_ = false;
                return repeat(*value.lines, op.skip_first);
        }
        return true;
    }

    // Taken from what is left of the budget, or refused whole.
    bool spend(std::size_t cost) {
        if (cost > budget_ - spent_) return false;
        spent_ += cost;
        return true;
    }

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
    // Outside a loop a piece is written at once; false where it would pass the budget.
    bool put(Piece piece) {
        if ((piece.kind == Piece::Text && piece.text.empty()) || (piece.lines && piece.lines->empty()) ||
            (piece.kind == Piece::Joined && piece.lines->size() == 1 && piece.lines->front().empty())) {
            return true;
        }
        if (!recording_) {
            if (!spend(cost(piece))) return false;
            wrote_after_ = pc_ + 1;
            write(piece, {});
            return true;
        }
        (piece.kind == Piece::Current ? current_wrote_after_ : body_wrote_after_) = pc_ + 1;
        piece.movable = nullptr;
        body_.push_back(piece);
        if (piece.kind == Piece::Current) {
            ++currents_;
            return true;
        }
        blank_body_.push_back(piece);
        body_cost_ += cost(piece);
        blank_cost_ += cost(piece);
        return true;
    }

    // What a piece adds to the budget; a {строка}'s own text is counted per line.
    std::size_t cost(const Piece& piece) {
        switch (piece.kind) {
            case Piece::Text: return piece.text.size();
            case Piece::Joined: return box_cost(*piece.lines) - line_cost;  // no break after the last line
            case Piece::BoxLines: return box_cost(*piece.lines);
            case Piece::Current: return 0;
            case Piece::Break: break;
        }
        return line_cost;
    }

    // Each line's bytes and its break; counted once per box.
    std::size_t box_cost(const Lines& lines) {
        auto [it, counted] = box_costs_.try_emplace(&lines, 0);
        if (counted) {
            for (const std::string& line : lines) it->second += line.size() + line_cost;
        }
        return it->second;
    }

    // The body's output for every line, weighed whole before the first is written.
    bool repeat(const Lines& lines, bool skip_first) {
        const std::size_t left = budget_ - spent_;
        std::size_t total = 0;
        bool any_line = false, any_text = false;
        for (std::size_t i = skip_first ? 1 : 0; i < lines.size() && total <= left; ++i) {
            total += lines[i].empty() ? blank_cost_ : body_cost_ + currents_ * lines[i].size();
            any_line = true;
            any_text = any_text || !lines[i].empty();
        }
        if (!spend(total)) return false;
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
    bool end_line(std::size_t first) {
        const bool wrote = wrote_after_ > first;
        if (!recording_) {
            if (!wrote) return true;
            if (!spend(line_cost)) return false;
            line_break();
            return true;
        }
        const bool body_wrote = wrote || body_wrote_after_ > first;
        if (body_wrote || current_wrote_after_ > first) {
            body_.push_back({Piece::Break});
            body_cost_ += line_cost;
        }
        if (body_wrote) {
            blank_body_.push_back({Piece::Break});
            blank_cost_ += line_cost;
        }
        return true;
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
    const std::size_t budget_;
    std::size_t spent_ = 0;  // by both descriptions
    bool recording_ = false;
    std::vector<Piece> body_, blank_body_;  // blank: for an empty line, without its {строка}
    std::size_t body_cost_ = 0, blank_cost_ = 0, currents_ = 0;  // what one line costs, besides itself
    // One past the last op that wrote: directly, into a loop's body, or as its {строка}.
    std::size_t pc_ = 0, wrote_after_ = 0, body_wrote_after_ = 0, current_wrote_after_ = 0;
    std::map<const Lines*, std::size_t> box_costs_;
};

}  // namespace

std::variant<Description, OverBudget> run(const Program& program, const FieldValues& values, std::size_t budget) {
    Renderer renderer(program, values, budget);
    Description d;
    if (!renderer.run(program.short_ops, d.short_lines)) return OverBudget{false, renderer.over_at};
    d.full_lines.push_back(credit_line());  // the program's line, not the layout's: not counted
    if (!renderer.run(program.full_ops, d.full_lines)) return OverBudget{true, renderer.over_at};
    return d;
}

}  // namespace tessivar::templates
