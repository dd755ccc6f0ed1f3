// Qt's own Dutch translations of its standard dialogs.
#pragma once

class QCoreApplication;

namespace zelm {

/// Loads Qt's Dutch translations of its standard dialogs (Debian qt6-translations-l10n) into
/// `app`; false when they are not installed, and the dialogs stay English.
bool InstallQtTranslations(QCoreApplication& app);

} // namespace zelm
