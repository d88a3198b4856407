#include "zel/accessright/AccessRight.h"

namespace zel::accessright {

std::string Write(const host::TStringList& granted) {
    std::size_t size = 1;
    for (const std::string& name : granted.Items()) {
        size += name.size() + 1;
    }
    std::string text;
    text.reserve(size);
    text += kRightTerminator;
    for (const std::string& name : granted.Items()) {
        text += name;
        text += kRightTerminator;
    }
    return text;
}

void Read(std::string_view text, const std::function<void(const std::string& token)>& emit) {
    std::size_t start = 0;
    for (std::size_t end = text.find(kRightTerminator); end != std::string_view::npos;
         end = text.find(kRightTerminator, start)) {
        emit(std::string(text.substr(start, end - start)));
        start = end + 1;
    }
}

} // namespace zel::accessright
