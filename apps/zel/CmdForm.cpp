// zel form check and zel form format.
#include "Commands.h"
#include "Encoding.h"
#include "Session.h"
#include "host/FormFile.h"

#include <memory>

namespace zel::cli {

Result FormCheck(const std::vector<std::string>& files, const Style& style) {
    Session session; // collects any message box a form's loading shows
    std::vector<std::unique_ptr<host::TForm>> forms; // read directly: errors keep file and line
    Result r;
    r.json = {{"result", true}, {"files", Json::array()}};
    for (const auto& file : files) {
        try {
            forms.emplace_back(host::ReadForm(file));
            r.json["files"].push_back({{"file", file}, {"ok", true}});
            r.text += style.Green("ok") + "     " + file + "\n";
        } catch (const host::EFormError& e) {
            r.status = 1;
            r.json["result"] = false;
            r.json["files"].push_back({{"file", file}, {"ok", false}});
            r.json["error"] = {{"file", e.File()}, {"line", e.Line()}, {"message", Text(e.what())}};
            r.text += style.Red("error") + "  " + ToUtf8(e.what()) + "\n";
            break; // later files may depend on this one
        }
    }
    return r;
}

Result FormFormat(const std::vector<std::string>& files) {
    Session session;
    // Earlier files are the forms the last one refers to. Loaded does not run, so what is
    // written is the form as stored, not as a log-in would leave it.
    session.ReadAll(files, false);
    Result r;
    r.text = host::WriteForm(*session.Forms().back());
    r.json = {{"result", true}, {"file", files.back()}, {"text", Text(r.text)}};
    return r;
}

} // namespace zel::cli
