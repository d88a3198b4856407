#include "zel/host/forms/detail/FormParser.h"

#include "zel/host/core/CaseFold.h"

#include <limits>

namespace zel::host::form {

std::string Value::Describe() const {
    switch (kind) {
    case Integer:
        return "the number " + std::to_string(integer);
    case Boolean:
        return boolean ? "True" : "False";
    case Ident:
        return "the name " + text;
    case Qualified:
        return "the name " + text + "." + text2;
    case String:
        return "a string";
    case List:
        return "a list of strings";
    }
    return "a value";
}

namespace {

struct Token {
    enum Kind { End, Ident, Integer, String, Symbol } kind = End;
    std::string text; // Ident, String (decoded bytes)
    std::int64_t integer = 0;
    char symbol = 0;
    int line = 1;
    std::string Describe() const {
        switch (kind) {
        case End:
            return "the end of the file";
        case Ident:
            return "'" + text + "'";
        case Integer:
            return "the number " + std::to_string(integer);
        case String:
            return "a string";
        case Symbol:
            return std::string("'") + symbol + "'";
        }
        return "?";
    }
};

bool IsIdentStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

class Lexer {
public:
    Lexer(const std::string& text, const std::string& file, const TFormOptions& limits)
        : text_(text), file_(file), limits_(limits) {}

    [[noreturn]] void Fail(int line, const std::string& what) const {
        throw EFormError(file_, line, what);
    }

    Token Next() {
        SkipSpace();
        Token t;
        t.line = line_;
        if (pos_ >= text_.size()) {
            return t;
        }
        char c = text_[pos_];
        if (IsIdentStart(c)) {
            t.kind = Token::Ident;
            std::size_t start = pos_;
            while (pos_ < text_.size() && (IsIdentStart(text_[pos_]) || IsDigit(text_[pos_]))) {
                ++pos_;
            }
            t.text = text_.substr(start, pos_ - start);
            return t;
        }
        if (IsDigit(c) || c == '$') {
            t.kind = Token::Integer;
            t.integer = Number();
            return t;
        }
        if (c == '\'' || c == '#') {
            t.kind = Token::String;
            t.text = StringRuns();
            return t;
        }
        if (c == '=' || c == ':' || c == '.' || c == '(' || c == ')' || c == '+' || c == '-') {
            ++pos_;
            t.kind = Token::Symbol;
            t.symbol = c;
            return t;
        }
        // Appended rather than "#" + std::string, which GCC 12 at -O3 reports as an
        // overlapping copy (-Wrestrict), a known false positive.
        Fail(line_,
             std::string("unexpected character ") +
                 (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126
                      ? std::string("#").append(std::to_string(static_cast<unsigned char>(c)))
                      : std::string("'") + c + "'"));
    }

private:
    void SkipSpace() {
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (c == '\n') {
                ++line_;
            } else if (c != ' ' && c != '\t' && c != '\r') {
                return;
            }
            ++pos_;
        }
    }

    std::int64_t Number() {
        const bool hex = text_[pos_] == '$';
        if (hex) {
            ++pos_;
        }
        const std::size_t start = pos_;
        std::uint64_t value = 0;
        const std::uint64_t limit =
            static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            int digit = IsDigit(c)                    ? c - '0'
                        : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                      : -1;
            if (digit < 0) {
                break;
            }
            const std::uint64_t base = hex ? 16 : 10;
            if (value > (limit - static_cast<std::uint64_t>(digit)) / base) {
                Fail(line_, "number too large");
            }
            value = value * base + static_cast<std::uint64_t>(digit);
            ++pos_;
        }
        if (pos_ == start) {
            Fail(line_, "expected digits after '$'");
        }
        if (pos_ < text_.size() && IsIdentStart(text_[pos_])) {
            Fail(line_, "unexpected letter after a number");
        }
        return static_cast<std::int64_t>(value);
    }

    // Adjacent quoted runs and #NNN codes form one string: 'a'#255'b'.
    std::string StringRuns() {
        std::string out;
        while (pos_ < text_.size() && (text_[pos_] == '\'' || text_[pos_] == '#')) {
            if (text_[pos_] == '#') {
                ++pos_;
                if (pos_ >= text_.size() || !(IsDigit(text_[pos_]) || text_[pos_] == '$')) {
                    Fail(line_, "expected a character code after '#'");
                }
                std::int64_t code = Number();
                if (code > 255) {
                    Fail(line_,
                         "character code " + std::to_string(code) + " is out of range (0 to 255)");
                }
                out += static_cast<char>(code);
            } else {
                ++pos_;
                while (true) {
                    if (pos_ >= text_.size() || text_[pos_] == '\n' || text_[pos_] == '\r') {
                        Fail(line_,
                             "unterminated string: a quote (') is missing before the line end");
                    }
                    char c = text_[pos_++];
                    if (c == '\'') {
                        if (pos_ < text_.size() && text_[pos_] == '\'') {
                            ++pos_;
                        } else {
                            break;
                        }
                    }
                    out += c;
                }
            }
            if (out.size() > limits_.maxStringBytes) {
                Fail(line_,
                     "string longer than " + std::to_string(limits_.maxStringBytes) + " bytes");
            }
        }
        return out;
    }

    const std::string& text_;
    const std::string& file_;
    const TFormOptions& limits_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

class Parser {
public:
    Parser(const std::string& text, const std::string& file, const TFormOptions& limits)
        : lexer_(text, file, limits), limits_(limits) {
        Advance();
    }

    std::unique_ptr<Node> File() {
        if (!IsKeyword("object")) {
            Fail("expected 'object' at the start of the form");
        }
        auto root = Object(1);
        if (current_.kind != Token::End) {
            Fail("expected the end of the file after the form's final 'end', found " +
                 current_.Describe());
        }
        return root;
    }

private:
    void Advance() { current_ = lexer_.Next(); }
    [[noreturn]] void Fail(const std::string& what) const { lexer_.Fail(current_.line, what); }
    bool IsKeyword(const char* word) const {
        return current_.kind == Token::Ident && SameText(current_.text, word);
    }
    bool IsSymbol(char c) const { return current_.kind == Token::Symbol && current_.symbol == c; }
    std::string ExpectIdent(const char* what) {
        if (current_.kind != Token::Ident) {
            Fail(std::string("expected ") + what + ", found " + current_.Describe());
        }
        std::string text = current_.text;
        Advance();
        return text;
    }

    std::unique_ptr<Node> Object(int depth) {
        if (depth > limits_.maxDepth) {
            Fail("objects nested deeper than " + std::to_string(limits_.maxDepth) + " levels");
        }
        auto node = std::make_unique<Node>();
        node->line = current_.line;
        Advance(); // 'object'
        std::string first = ExpectIdent("a component name");
        if (IsSymbol(':')) {
            Advance();
            node->name = first;
            node->className = ExpectIdent("a class name after ':'");
        } else {
            node->className = first; // an unnamed component: object TClass
        }
        while (true) {
            if (IsKeyword("end")) {
                Advance();
                return node;
            }
            if (IsKeyword("object")) {
                node->children.push_back(Object(depth + 1));
                continue;
            }
            if (current_.kind != Token::Ident) {
                Fail("expected a property, 'object' or 'end', found " + current_.Describe());
            }
            if (!node->children.empty()) {
                Fail("property " + current_.text + " after nested objects: properties come first");
            }
            Property p;
            p.line = current_.line;
            p.name = ExpectIdent("a property name");
            if (!IsSymbol('=')) {
                Fail("expected '=' after property " + p.name + ", found " + current_.Describe());
            }
            Advance();
            p.value = ParseValue(p.name);
            node->properties.push_back(std::move(p));
        }
    }

    Value ParseValue(const std::string& property) {
        Value v;
        if (current_.kind == Token::Integer || IsSymbol('-')) {
            bool negative = IsSymbol('-');
            if (negative) {
                Advance();
                if (current_.kind != Token::Integer) {
                    Fail("expected a number after '-'");
                }
            }
            v.kind = Value::Integer;
            v.integer = negative ? -current_.integer : current_.integer;
            Advance();
            return v;
        }
        if (current_.kind == Token::Ident) {
            if (SameText(current_.text, "True") || SameText(current_.text, "False")) {
                v.kind = Value::Boolean;
                v.boolean = SameText(current_.text, "True");
                Advance();
                return v;
            }
            v.kind = Value::Ident;
            v.text = current_.text;
            Advance();
            if (IsSymbol('.')) {
                Advance();
                v.kind = Value::Qualified;
                v.text2 = ExpectIdent("a component name after '.'");
            }
            return v;
        }
        if (current_.kind == Token::String) {
            v.kind = Value::String;
            v.text = StringValue();
            return v;
        }
        if (IsSymbol('(')) {
            Advance();
            v.kind = Value::List;
            while (!IsSymbol(')')) {
                if (current_.kind != Token::String) {
                    Fail("expected a string or ')' in the list of " + property + ", found " +
                         current_.Describe());
                }
                v.list.push_back(StringValue());
            }
            Advance();
            return v;
        }
        Fail("expected a value for " + property +
             " (a number, True, False, a name, a 'string' or a list), found " +
             current_.Describe());
    }

    // A string, possibly continued with + on the next line.
    std::string StringValue() {
        std::string text = current_.text;
        Advance();
        while (IsSymbol('+')) {
            Advance();
            if (current_.kind != Token::String) {
                Fail("expected a string after '+', found " + current_.Describe());
            }
            text += current_.text;
            if (text.size() > limits_.maxStringBytes) {
                Fail("string longer than " + std::to_string(limits_.maxStringBytes) + " bytes");
            }
            Advance();
        }
        return text;
    }

    Lexer lexer_;
    const TFormOptions& limits_;
    Token current_;
};

} // namespace

std::unique_ptr<Node> Parse(const std::string& text, const std::string& fileName,
                            const TFormOptions& limits) {
    return Parser(text, fileName, limits).File();
}

} // namespace zel::host::form
