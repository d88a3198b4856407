#pragma once
// Makes the host's own component classes known to the form reader.

namespace zel::host {

/// Registers TForm, TMainMenu, TMenuItem, TDataSource, TSQLiteTable, TButton, TBitBtn and
/// the other host classes; harmless to call again. The form reader calls it.
void RegisterHostClasses();

} // namespace zel::host
