#include "zel/host/forms/FormFile.h"

namespace zel::host {

namespace {
constexpr std::size_t kLineWidth = 64;

bool Printable(unsigned char c) {
    return c >= 32 && c <= 126;
}

class Writer {
public:
    Writer(const TForm& form, const TFormOptions& limits) : form_(form), limits_(limits) {}

    std::string Write() {
        Object(form_, 0);
        return out_;
    }

private:
    [[noreturn]] void Fail(const TComponent& c, const std::string& what) const {
        throw EFormError(form_.Name().empty() ? "form" : form_.Name(), 0,
                         (c.Name().empty() ? c.ClassName() : c.Name()) + ": " + what);
    }

    void Object(const TComponent& c, int depth) {
        if (depth >= limits_.maxDepth) {
            Fail(c, "nested deeper than " + std::to_string(limits_.maxDepth) +
                        " levels; such a form could not be read back");
        }
        const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
        out_ +=
            indent + "object " + (c.Name().empty() ? "" : c.Name() + ": ") + c.ClassName() + "\n";
        for (const TPropInfo* p : AllProperties(c.Class())) {
            if (p->stored && p->stored(c)) {
                out_ += indent + "  " + p->name + " = " + Format(c, *p, depth + 1) + "\n";
            }
        }
        for (const TComponent* child : c.Nested()) {
            Object(*child, depth + 1);
        }
        out_ += indent + "end\n";
    }

    std::string Format(const TComponent& c, const TPropInfo& p, int depth) const {
        TPropValue v = p.get(c);
        switch (p.kind) {
        case TPropKind::Boolean:
            return std::get<bool>(v) ? "True" : "False";
        case TPropKind::Integer:
            return std::to_string(std::get<std::int64_t>(v));
        case TPropKind::Enumeration: {
            auto ordinal = std::get<std::int64_t>(v);
            if (ordinal < 0 || static_cast<std::size_t>(ordinal) >= p.enumNames->size()) {
                Fail(c, "property " + p.name + " holds an invalid value");
            }
            return (*p.enumNames)[static_cast<std::size_t>(ordinal)];
        }
        case TPropKind::String:
            return FormatFormString(std::get<std::string>(v), depth * 2 + 2);
        case TPropKind::Event:
            return std::get<std::string>(v);
        case TPropKind::Strings: {
            std::string list = "(";
            for (const std::string& s : std::get<std::vector<std::string>>(v)) {
                list += '\n';
                list.append(static_cast<std::size_t>(depth) * 2 + 2, ' ');
                list += FormatFormString(s, depth * 2 + 2);
            }
            return list + ")";
        }
        case TPropKind::Component:
            return Reference(c, p, std::get<TComponent*>(v));
        }
        return {};
    }

    std::string Reference(const TComponent& c, const TPropInfo& p, const TComponent* target) const {
        if (target == &form_) {
            return form_.Name();
        }
        if (target->Name().empty()) {
            Fail(c, "property " + p.name + " links to a component without a name");
        }
        const TComponent* owner = target->Owner();
        // A menu's root item is owned by its menu; no other nested owners are written.
        if (owner == &form_) {
            return target->Name();
        }
        if (owner == nullptr || dynamic_cast<const TForm*>(owner) == nullptr ||
            owner->Name().empty()) {
            Fail(c, "property " + p.name + " links to " + target->Name() +
                        ", which belongs to no named form");
        }
        return owner->Name() + "." + target->Name();
    }

    const TForm& form_;
    const TFormOptions& limits_;
    std::string out_;
};
} // namespace

std::string FormatFormString(const std::string& text, int indent) {
    if (text.empty()) {
        return "''";
    }
    // Pieces: quoted runs of printable ASCII, #NNN for every other byte.
    std::vector<std::string> pieces;
    std::string run;
    auto flush = [&] {
        if (!run.empty()) {
            pieces.push_back("'" + run + "'");
            run.clear();
        }
    };
    std::size_t runChars = 0;
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (Printable(c)) {
            run += ch;
            if (ch == '\'') {
                run += '\'';
            }
            if (++runChars >= kLineWidth) {
                flush();
                runChars = 0;
            }
        } else {
            flush();
            runChars = 0;
            // Not "#" + std::string: GCC 12 at -O3 falsely reports that as -Wrestrict.
            pieces.push_back(std::string("#").append(std::to_string(c)));
        }
    }
    flush();
    // Join, continuing with + on a new line once a line grows past the width.
    std::string out;
    std::size_t lineLength = 0;
    const std::string continuation =
        " +\n" + std::string(static_cast<std::size_t>(indent) + 2, ' ');
    for (const std::string& piece : pieces) {
        // Two quoted runs side by side would read as one with a quote inside: never let
        // them touch.
        const bool touching = !out.empty() && out.back() == '\'' && piece.front() == '\'';
        if (lineLength > 0 && (touching || lineLength + piece.size() > kLineWidth + 2)) {
            out += continuation;
            lineLength = 0;
        }
        out += piece;
        lineLength += piece.size();
    }
    return out;
}

std::string WriteForm(const TForm& form, const TFormOptions& limits) {
    return Writer(form, limits).Write();
}

} // namespace zel::host
