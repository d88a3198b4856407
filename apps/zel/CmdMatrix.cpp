// zel matrix: every user against every menu right, as the editor loads each record.
#include "CommandLine.h"
#include "Commands.h"
#include "Guard.h"
#include "zel/components/Links.h"
#include "zel/host/core/TextEncoding.h"

namespace zel::cli {

namespace {
struct Grid {
    std::vector<std::string> users;         // 8-bit
    std::vector<std::vector<bool>> granted; // [user][row]
};

std::string Escape(const std::string& utf8) {
    std::string out;
    for (char c : utf8) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// One CSV cell. A cell that a spreadsheet would take for a formula (=, +, -, @, or a tab
// or carriage return first) gets a leading apostrophe, so it is shown, not run.
std::string Csv(const std::string& bytes) {
    std::string utf8 = host::ToUtf8(bytes);
    if (!utf8.empty() && std::string_view("=+-@\t\r").find(utf8[0]) != std::string_view::npos) {
        utf8.insert(0, 1, '\'');
    }
    if (utf8.find_first_of(",\"\r\n") == std::string::npos) {
        return utf8;
    }
    std::string out = "\"";
    for (char c : utf8) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

// Every format has the same columns: menu item, right, then one per user.
void WriteCsv(std::ostream& out, const TZELMenuCheckListBox& e, const Grid& g) {
    out << "menu item,right";
    for (const auto& u : g.users) {
        out << ',' << Csv(u);
    }
    out << "\r\n";
    for (int i = 0; i < e.Count(); ++i) {
        out << Csv(e.Items().Strings(i)) << ',' << Csv(e.MenuItemNames().Strings(i));
        for (const auto& row : g.granted) {
            out << (row[static_cast<std::size_t>(i)] ? ",x" : ",");
        }
        out << "\r\n";
    }
}

void WriteHtml(std::ostream& out, const TZELMenuCheckListBox& e, const Grid& g) {
    out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<title>Rights matrix</title>\n<style>\n"
           "body { font-family: sans-serif; margin: 2em; color: #222; }\n"
           "table { border-collapse: collapse; }\n"
           "th, td { border: 1px solid #ccc; padding: 0.3em 0.7em; }\n"
           "th { background: #f0f0f0; }\n"
           "td.item { white-space: pre; font-family: monospace; }\n"
           "td.name { color: #777; font-size: 0.85em; }\n"
           "td.mark { text-align: center; color: #070; font-weight: bold; }\n"
           "tr:nth-child(even) td { background: #fafafa; }\n"
           "</style>\n</head>\n<body>\n<h1>Rights "
           "matrix</h1>\n<table>\n<thead><tr><th>Menu item</th><th>Right</th>";
    for (const auto& u : g.users) {
        out << "<th>" << Escape(host::ToUtf8(u)) << "</th>";
    }
    out << "</tr></thead>\n<tbody>\n";
    for (int i = 0; i < e.Count(); ++i) {
        out << "<tr><td class=\"item\">" << Escape(host::ToUtf8(e.Items().Strings(i)))
            << "</td><td class=\"name\">" << Escape(host::ToUtf8(e.MenuItemNames().Strings(i)))
            << "</td>";
        for (const auto& row : g.granted) {
            out << (row[static_cast<std::size_t>(i)] ? "<td class=\"mark\">&#10003;</td>"
                                                     : "<td></td>");
        }
        out << "</tr>\n";
    }
    out << "</tbody>\n</table>\n</body>\n</html>\n";
}

void WritePlain(const TZELMenuCheckListBox& e, const Grid& g, const Style& style) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> header{style.Bold("menu item"), style.Bold("right")};
    for (const auto& u : g.users) {
        header.push_back(style.Bold(Visible(u)));
    }
    rows.push_back(header);
    for (int i = 0; i < e.Count(); ++i) {
        std::vector<std::string> row{Visible(e.Items().Strings(i)),
                                     style.Dim(Visible(e.MenuItemNames().Strings(i)))};
        for (const auto& granted : g.granted) {
            row.push_back(granted[static_cast<std::size_t>(i)] ? style.Green("x") : ".");
        }
        rows.push_back(row);
    }
    WriteColumns(style.Out(), rows);
}
} // namespace

Result Matrix(const Target& target, const std::string& format, const Style& style) {
    Session session;
    session.ReadAll(target.forms);
    TZELMenuCheckListBox& editor = session.Editor(target.editor);
    const TZELRight& provider = session.Provider(target.provider);
    return Guarded(session, style, [&] {
        host::TDataSet& table = RequireDataSet(editor.DataSource(), editor);
        Grid grid;
        bool ok = true;
        // One pass over the table: the editor loads whichever record is current.
        for (table.First(); ok && !table.Eof(); table.Next()) {
            grid.users.push_back(table.FieldByName(provider.UserIDFieldName()).AsString());
            ok = editor.LoadSetting();
            std::vector<bool> row;
            for (int i = 0; i < editor.Count(); ++i) {
                row.push_back(editor.Checked(i));
            }
            grid.granted.push_back(std::move(row));
        }
        Result r;
        r.status = ok ? 0 : 1;
        const std::string& cause = editor.LastErrorText();
        if (style.json) {
            Json rights = Json::array();
            for (int i = 0; i < editor.Count(); ++i) {
                Json marks = Json::array();
                for (const auto& row : grid.granted) {
                    marks.push_back(static_cast<bool>(row[static_cast<std::size_t>(i)]));
                }
                rights.push_back({{"text", Text(editor.Items().Strings(i))},
                                  {"name", Text(editor.MenuItemNames().Strings(i))},
                                  {"granted", marks}});
            }
            r.json = {{"result", ok},
                      {"messages", TextList(session.Messages())},
                      {"cause", cause.empty() ? Json(nullptr) : Text(cause)},
                      {"users", TextList(grid.users)},
                      {"rights", rights}};
        } else if (!ok) {
            WriteMessages(style, session.Messages(), cause);
        } else if (format == "csv") {
            WriteCsv(style.Out(), editor, grid);
        } else if (format == "html") {
            WriteHtml(style.Out(), editor, grid);
        } else {
            WritePlain(editor, grid, style);
        }
        return r;
    });
}

void AddMatrixCommand(CLI::App& app, CommandSet& set) {
    struct Arguments : FormArguments {
        std::string format = "text";
    };
    auto a = std::make_shared<Arguments>();
    CLI::App& c = *app.add_subcommand("matrix", "every user against every menu right");
    AddForms(c, *a);
    AddEditor(c, *a);
    CLI::Option* format = c.add_option("--format", a->format, "text, csv or html")
                              ->check(CLI::IsMember({"text", "csv", "html"}))
                              ->capture_default_str();
    AddJson(c, set)->excludes(format);
    Footer(c, "zel matrix main.dfm admin.dfm --format csv > rights.csv");
    Register(set, &c, [a](const Style& style) { return Matrix(a->Checked(), a->format, style); });
}

} // namespace zel::cli
