#pragma once

class QApplication;

namespace Startup {

// Sets the program up for Chinese (PRC): the default locale, Qt's own texts
// in Chinese where Qt has them, and stand-ins for the windows' fonts.
void Prepare(QApplication &app);

} // namespace Startup
