// zel matrix: every user against every menu right, as the editor loads each record.
#include "Commands.h"
#include "Encoding.h"
#include "Guard.h"
#include "components/Links.h"

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

std::string Csv(const std::string& utf8) {
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

std::string CsvText(const TZELMenuCheckListBox& e, const Grid& g) {
    std::string out = "right,menu item";
    for (const auto& u : g.users) {
        out += "," + Csv(ToUtf8(u));
    }
    out += "\r\n";
    for (int i = 0; i < e.Count(); ++i) {
        out += Csv(ToUtf8(e.MenuItemNames().Strings(i))) + "," + Csv(ToUtf8(e.Items().Strings(i)));
        for (const auto& row : g.granted) {
            out += row[static_cast<std::size_t>(i)] ? ",x" : ",";
        }
        out += "\r\n";
    }
    return out;
}

std::string HtmlText(const TZELMenuCheckListBox& e, const Grid& g) {
    std::string out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
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
        out += "<th>" + Escape(ToUtf8(u)) + "</th>";
    }
    out += "</tr></thead>\n<tbody>\n";
    for (int i = 0; i < e.Count(); ++i) {
        out += "<tr><td class=\"item\">" + Escape(ToUtf8(e.Items().Strings(i))) +
               "</td><td class=\"name\">" + Escape(ToUtf8(e.MenuItemNames().Strings(i))) + "</td>";
        for (const auto& row : g.granted) {
            out +=
                row[static_cast<std::size_t>(i)] ? "<td class=\"mark\">&#10003;</td>" : "<td></td>";
        }
        out += "</tr>\n";
    }
    return out + "</tbody>\n</table>\n</body>\n</html>\n";
}

std::string PlainText(const TZELMenuCheckListBox& e, const Grid& g, const Style& style) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> header{style.Bold("menu item"), style.Bold("right")};
    for (const auto& u : g.users) {
        header.push_back(style.Bold(ToUtf8(u)));
    }
    rows.push_back(header);
    for (int i = 0; i < e.Count(); ++i) {
        std::vector<std::string> row{ToUtf8(e.Items().Strings(i)),
                                     style.Dim(ToUtf8(e.MenuItemNames().Strings(i)))};
        for (const auto& granted : g.granted) {
            row.push_back(granted[static_cast<std::size_t>(i)] ? style.Green("x") : ".");
        }
        rows.push_back(row);
    }
    return Columns(rows);
}
} // namespace

Result Matrix(const Target& target, const std::string& format, const Style& style) {
    Session session;
    session.ReadAll(target.forms);
    TZELMenuCheckListBox& editor = session.Editor(target.editor);
    const TZELRight& provider = session.Provider(target.provider);
    return Guarded(session, [&] {
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
        Json rights = Json::array();
        for (int i = 0; i < editor.Count(); ++i) {
            Json marks = Json::array();
            for (const auto& row : grid.granted) {
                marks.push_back(static_cast<bool>(row[static_cast<std::size_t>(i)]));
            }
            rights.push_back({{"name", Text(editor.MenuItemNames().Strings(i))},
                              {"text", Text(editor.Items().Strings(i))},
                              {"granted", marks}});
        }
        r.json = {{"result", ok},
                  {"messages", TextList(session.Messages())},
                  {"users", TextList(grid.users)},
                  {"rights", rights}};
        if (!ok) {
            r.text += MessagesText(session.Messages());
        } else if (format == "csv") {
            r.text = CsvText(editor, grid);
        } else if (format == "html") {
            r.text = HtmlText(editor, grid);
        } else {
            r.text = PlainText(editor, grid, style);
        }
        return r;
    });
}

} // namespace zel::cli
