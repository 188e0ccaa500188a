#pragma once

// Qt's own texts (standard buttons such as OK and Cancel, the file dialogs) in Chinese, as the rest of
// the interface, whatever the system's locale.
namespace QtTranslations {

// Installs Qt's Chinese translations (qtbase_zh_CN from Qt's translations folder) into the running
// application; once per run, later calls do nothing. False when they cannot be loaded (the texts
// then stay English).
bool installChinese();

} // namespace QtTranslations
