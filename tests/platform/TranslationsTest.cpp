#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPushButton>
#include <QTranslator>

#include "platform/Translations.h"

namespace zelm {
namespace {

// Qt's standard dialogs speak Dutch once the translations are in; they are taken out again
// afterwards, so that the other tests see Qt as it comes.
TEST(Translations, QtsOwnDialogsSpeakDutch) {
    ASSERT_TRUE(InstallQtTranslations(*qApp));
    const struct {
        QDialogButtonBox::StandardButton button;
        const char* dutch;
    } rows[] = {{QDialogButtonBox::Save, "Opslaan"},
                {QDialogButtonBox::Cancel, "Annuleren"},
                {QDialogButtonBox::Open, "Openen"}};
    QDialogButtonBox box;
    for (const auto& r : rows) {
        QPushButton* b = box.addButton(r.button);
        EXPECT_EQ(b->text().remove('&'), r.dutch);
    }
    // The file dialog's own labels come from the same translations.
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "File &name:"), "File &name:");
    for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
    EXPECT_EQ(QDialogButtonBox().addButton(QDialogButtonBox::Save)->text().remove('&'), "Save");
}

} // namespace
} // namespace zelm
