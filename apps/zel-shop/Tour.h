#pragma once
// The scripted tour a person would otherwise make by hand, on Qt's offscreen platform: log
// in as each example user, open each menu, open the orders window, grant the clerk a right
// as the administrator and see it at the clerk's next log-in, try the special item, a
// refused log-in and a save that another administrator got in before. Each step writes a
// PNG into the folder and prints one line of what it showed; a step that does not show
// what it should makes the tour fail. Steps check widget state, not pixels.

#include <string>

namespace zel::shop {

class ShopWindow;

/// Runs the tour; returns the exit status (0 when every step showed what it should).
int RunTour(ShopWindow& shop, const std::string& dir);

} // namespace zel::shop
