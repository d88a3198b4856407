#pragma once
// The widgets under a window of a given class, depth first in the order findChildren
// gives. Only widgets are entered: a widget's parent is always a widget, so the actions
// of a window (and whatever hangs under them) are never walked, which matters on windows
// of many thousands of actions and a few hundred widgets. A list, not a callback, so that
// the caller may change the window while it goes through them.

#include <QWidget>
#include <vector>

namespace zel::qt::detail {

template <class T> std::vector<T*> WidgetsUnder(const QWidget& root) {
    std::vector<T*> found;
    auto walk = [&found](const QWidget& parent, auto& self) -> void {
        for (QObject* child : parent.children()) {
            if (child->isWidgetType()) {
                auto* widget = static_cast<QWidget*>(child);
                if (auto* wanted = qobject_cast<T*>(widget)) {
                    found.push_back(wanted);
                }
                self(*widget, self);
            }
        }
    };
    walk(root, walk);
    return found;
}

} // namespace zel::qt::detail
