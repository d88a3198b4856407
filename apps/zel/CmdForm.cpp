// zel form check and zel form format.
#include "CommandLine.h"
#include "Commands.h"
#include "DesignerWindows.h"
#include "Session.h"
#include "zel/components/ZELBBTN.h"
#include "zel/components/ZELBtn.h"
#if ZEL_WITH_POSTGRES
#include "zel/host/postgres/PgConnectionString.h"
#include "zel/host/postgres/PgTable.h"
#endif
#include "zel/host/qtsql/QtSqlTable.h"
#include "zel/host/sqlite/SQLiteTable.h"

#include <filesystem>
#include <map>
#include <memory>

namespace zel::cli {

namespace {
struct Place {
    std::string file;
    int line = 0;
};

struct Finding {
    Place place;
    std::string message; // 8-bit
};

std::string Who(const host::TComponent& c) {
    const host::TComponent* form = c.Owner();
    return (form != nullptr && !form->Name().empty() ? form->Name() + "." : std::string()) +
           (c.Name().empty() ? c.ClassName() : c.Name());
}

// Checks what reading cannot: that the field names of a provider or editor are columns of
// its table (problems), and links and names that read but make no sense (warnings).
class Inspector {
public:
    explicit Inspector(const std::map<const host::TComponent*, Place>& places) : places_(places) {}

    void Inspect(const host::TComponent& c) {
        if (const auto* p = dynamic_cast<const TZELRight*>(&c)) {
            Fields(c, p->DataSource(),
                   {{"UserIDFieldName", p->UserIDFieldName()},
                    {"UserPasswordFieldName", p->UserPasswordFieldName()},
                    {"UserAccessRightFieldName", p->UserAccessRightFieldName()}});
        } else if (const auto* e = dynamic_cast<const TZELMenuCheckListBox*>(&c)) {
            Fields(c, e->DataSource(),
                   {{"UserAccessRightFieldName", e->UserAccessRightFieldName()}});
        } else if (const auto* b = dynamic_cast<const TZELBitBtn*>(&c)) {
            Button(c, b->Right());
        } else if (const auto* u = dynamic_cast<const TZELButton*>(&c)) {
            Button(c, u->Right());
        }
#if ZEL_WITH_POSTGRES
        if (const auto* t = dynamic_cast<const host::TPgTable*>(&c)) {
            if (host::ConnectionStringHasPassword(t->ConnectionString())) {
                warnings.push_back({Where(c), Who(c) + "'s ConnectionString holds a password, "
                                                       "which everyone who reads the form can "
                                                       "see; put it into ~/.pgpass instead"});
            }
        }
#endif
        if (const auto* t = dynamic_cast<const host::TQtSqlTable*>(&c);
            t != nullptr && t->ConnectOptionsHavePassword()) {
            warnings.push_back({Where(c), Who(c) + "'s ConnectOptions hold a password, which "
                                                   "everyone who reads the form can see; put "
                                                   "it into the driver's own file (~/.my.cnf, "
                                                   "~/.pgpass) instead"});
        }
    }

    std::vector<Finding> problems, warnings;

private:
    Place Where(const host::TComponent& c) const {
        auto it = places_.find(&c);
        return it == places_.end() ? Place{} : it->second;
    }

    void Fields(const host::TComponent& c, const host::TDataSource* source,
                const std::vector<std::pair<std::string, std::string>>& fields) {
        host::TDataSet* table = source != nullptr ? source->DataSet() : nullptr;
        if (source == nullptr) {
            warnings.push_back({Where(c), Who(c) + " has no DataSource, so it cannot read users"});
        }
        for (const auto& [property, field] : fields) {
            if (field.empty()) {
                warnings.push_back({Where(c), Who(c) + " has an empty " + property});
            } else if (table != nullptr && table->Active() && table->FindField(field) == nullptr) {
                problems.push_back({Where(c), Who(c) + ": " + property + " '" + field +
                                                  "' is not a column of the table"});
            }
        }
    }

    void Button(const host::TComponent& c, const std::string& right) {
        if (right.empty()) {
            warnings.push_back({Where(c), Who(c) + " has an empty Right: it is enabled for every "
                                                   "user whose rights the editor wrote"});
        }
    }

    const std::map<const host::TComponent*, Place>& places_;
};

Json FindingsJson(const std::vector<Finding>& findings) {
    Json list = Json::array();
    for (const auto& f : findings) {
        list.push_back(
            {{"file", f.place.file}, {"line", f.place.line}, {"message", Text(f.message)}});
    }
    return list;
}

void WriteFindings(const Style& style, const std::vector<Finding>& findings,
                   const std::string& label, bool bad) {
    for (const auto& f : findings) {
        style.Out() << (bad ? style.Red(label) : label) << "  " << VisiblePath(f.place.file) << ':'
                    << f.place.line << ": " << Visible(f.message, 0) << '\n';
    }
}
} // namespace

Result FormCheck(const std::vector<std::string>& files, const Style& style) {
    for (const auto& file : files) {
        std::error_code ec;
        if (file != kStandardInput && !std::filesystem::exists(file, ec)) {
            throw UsageError("cannot read " + VisiblePath(file) + ": no such file");
        }
    }
    Session session;         // collects any message box a form's loading shows
    DesignerWindows windows; // a .ui file's window, read as the other commands read it
    std::vector<std::unique_ptr<host::TForm>> forms; // read directly: errors keep file and line
    std::map<const host::TComponent*, Place> places;
    std::string current;
    host::TFormOptions options;
    // Tables are opened read-only: checking a form changes nothing it names.
    options.beforeLoaded = [&](host::TComponent& c, int line) {
        places[&c] = {current, line};
        if (auto* table = dynamic_cast<host::TSQLiteTable*>(&c)) {
            table->SetReadOnly(true);
        }
        if (auto* qt = dynamic_cast<host::TQtSqlTable*>(&c)) {
            qt->SetReadOnly(true);
        }
#if ZEL_WITH_POSTGRES
        if (auto* pg = dynamic_cast<host::TPgTable*>(&c)) {
            pg->SetReadOnly(true);
        }
#endif
    };
    Result r;
    Json filesJson = Json::array();
    Json error;
    for (const auto& file : files) {
        current = file;
        try {
            forms.push_back(IsUiFile(file)
                                ? windows.Load(file)
                                : std::unique_ptr<host::TForm>(ReadFormFile(file, options)));
            filesJson.push_back({{"file", file}, {"ok", true}});
            if (!style.json) {
                style.Out() << style.Green("ok") << "     " << VisiblePath(file) << '\n';
            }
        } catch (const host::EFormError& e) {
            r.status = 1;
            filesJson.push_back({{"file", file}, {"ok", false}});
            error = {{"file", e.File()}, {"line", e.Line()}, {"message", Text(e.what())}};
            if (!style.json) {
                style.Out() << style.Red("error") << "  " << Visible(e.what(), 0) << '\n';
            }
            break; // later files may depend on this one
        }
    }
    Inspector inspector(places);
    for (const auto& form : forms) {
        for (int i = 0; i < form->ComponentCount(); ++i) {
            inspector.Inspect(*form->Components(i));
        }
    }
    if (!inspector.problems.empty()) {
        r.status = 1;
    }
    if (style.json) {
        r.json = {{"result", r.status == 0},
                  {"files", filesJson},
                  {"problems", FindingsJson(inspector.problems)},
                  {"warnings", FindingsJson(inspector.warnings)}};
        if (!error.is_null()) {
            r.json["error"] = error;
        }
    } else {
        WriteFindings(style, inspector.problems, "error", true);
        WriteFindings(style, inspector.warnings, "warning", false);
    }
    return r;
}

Result FormFormat(const std::vector<std::string>& files, const Style& style) {
    Session session;
    // Earlier files are the forms the last one refers to. Loaded does not run, so what is
    // written is the form as stored, not as a log-in would leave it.
    host::TFormOptions options;
    options.runLoaded = false;
    session.ReadAll(files, options);
    const std::string text = host::WriteForm(*session.Forms().back());
    Result r;
    if (style.json) {
        r.json = {{"result", true}, {"file", files.back()}, {"text", Text(text)}};
    } else {
        style.Out() << text;
    }
    return r;
}

void AddFormCommands(CLI::App& app, CommandSet& set) {
    CLI::App& form = *app.add_subcommand("form", "check or format form files");
    form.require_subcommand(1);

    auto checked = std::make_shared<std::vector<std::string>>();
    CLI::App& check = *form.add_subcommand(
        "check", "read each file, open its tables read-only, and report what cannot work");
    check.add_option("files", *checked, "form files, in load order ('-': standard input)")
        ->required();
    AddJson(check, set);
    check.footer("Example:\n  zel form check main.dfm orders.dfm admin.dfm\n\nExit status: 0 "
                 "every form reads and fits its tables; 1 a form does not read or names a field "
                 "that is not a column; 2 bad usage or a missing file.");
    Register(set, &check, [checked](const Style& style) {
        CheckStandardInput(*checked);
        return FormCheck(*checked, style);
    });

    auto formatted = std::make_shared<std::vector<std::string>>();
    CLI::App& format =
        *form.add_subcommand("format", "print the last file as the form writer writes it");
    format
        .add_option("files", *formatted,
                    "form files; earlier ones are the forms it refers to ('-': standard input)")
        ->required();
    AddJson(format, set);
    Footer(format, "zel form format main.dfm admin.dfm > admin.dfm.new");
    Register(set, &format, [formatted](const Style& style) {
        CheckStandardInput(*formatted);
        return FormFormat(*formatted, style);
    });
}

} // namespace zel::cli
