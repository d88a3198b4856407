#pragma once
// The syntax of form files: text to a tree of object nodes, with line numbers. Knows
// nothing of classes or properties; FormReader gives the tree its meaning.

#include "zel/host/forms/FormFile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zel::host::form {

struct Value {
    enum Kind { Integer, Boolean, Ident, Qualified, String, List } kind = Integer;
    std::int64_t integer = 0;
    bool boolean = false;
    std::string text;  // Ident, String; Qualified: the form name
    std::string text2; // Qualified: the component name
    std::vector<std::string> list;
    std::string Describe() const;
};

struct Property {
    std::string name;
    Value value;
    int line = 0;
};

struct Node {
    std::string name;
    std::string className;
    int line = 0;
    std::vector<Property> properties;
    std::vector<std::unique_ptr<Node>> children;
};

/// Parses a whole form file; raises EFormError on the first syntax error.
std::unique_ptr<Node> Parse(const std::string& text, const std::string& fileName,
                            const TFormOptions& limits);

} // namespace zel::host::form
