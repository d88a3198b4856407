// The form reader on any text: it reads or raises its own error, and what it writes of a
// form reads back to the very same text (write, read, write: one fixed point).
#include "FuzzSupport.h"
#include "zel/host/forms/FormFile.h"
#include "zel/host/sqlite/SQLiteTable.h"

#include <memory>

using namespace zel;

namespace {
// Small limits, so that the fuzzer spends its time on structure, not on size.
host::TFormOptions Options(bool runLoaded) {
    host::TFormOptions o;
    o.runLoaded = runLoaded;
    o.maxFileBytes = 1u << 16;
    o.maxStringBytes = 1u << 12;
    o.maxDepth = 32;
    // Whatever a form names is opened read-only, as `zel form check` does.
    o.beforeLoaded = [](host::TComponent& c, int) {
        if (auto* table = dynamic_cast<host::TSQLiteTable*>(&c)) {
            table->SetReadOnly(true);
        }
    };
    return o;
}

std::unique_ptr<host::TForm> Read(const std::string& text, bool runLoaded) {
    return std::unique_ptr<host::TForm>(
        host::ReadFormText(text, "fuzz.dfm", "/nonexistent", nullptr, Options(runLoaded)));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Setup();
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<host::TForm> form;
    try {
        form = Read(text, false);
    } catch (const host::Exception&) {
        return 0; // refused with a message: what bad input must get
    }
    const std::string first = host::WriteForm(*form, Options(false));
    form.reset();
    std::string second;
    try {
        second = host::WriteForm(*Read(first, false), Options(false));
    } catch (const host::Exception& e) {
        fuzz::Fail("a written form does not read back: " + std::string(e.what()) + "\n" + first);
    }
    fuzz::Check(first == second,
                "writing a form read back changed it:\n" + first + "\n--\n" + second);
    // Loaded runs too (menus linked, buttons asking their provider) on a form that reads.
    try {
        Read(text, true);
    } catch (const host::Exception&) {
    }
    return 0;
}
