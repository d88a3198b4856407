#pragma once
// Runs a command's work; a failure of the system (a host error, a database that cannot be
// read, ...) becomes exit status 1 with the error among the messages. Bad usage passes.

#include "Commands.h"
#include "Session.h"

#include <exception>
#include <functional>

namespace zel::cli {

inline Result Guarded(Session& session, const Style& style, const std::function<Result()>& work) {
    try {
        return work();
    } catch (const UsageError&) {
        throw;
    } catch (const std::exception& e) {
        Result r;
        r.status = 1;
        session.AddMessage(e.what());
        if (style.json) {
            r.json = {{"result", false}, {"messages", TextList(session.Messages())}};
        } else {
            style.Out() << Visible(e.what(), 0) << '\n';
        }
        return r;
    }
}

} // namespace zel::cli
