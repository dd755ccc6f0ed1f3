#include "app/SessionsDialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/WorkArea.h"

namespace zelm {

namespace {

const QString Title = "Vorige sessies";
const QString Choose = "&Kies de sessie waarvan u het werk wilt terugzien:";
const QString NoneKept = "Er zijn geen vorige sessies bewaard.";
const QString OpenButton = "&Openen";
const QString CancelButton = "Annuleren";

constexpr int DialogWidth = 520;

} // namespace

int ChooseSession(QWidget* parent, const QStringList& rows) {
    QDialog dialog(parent);
    dialog.setWindowTitle(Title);
    dialog.setAccessibleName(Title);
    dialog.setMinimumWidth(DialogWidth);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(rows.isEmpty() ? NoneKept : Choose, &dialog);
    auto* list = new QListWidget(&dialog);
    list->setAccessibleName("Sessies");
    list->addItems(rows);
    list->setCurrentRow(0);
    label->setBuddy(list);
    layout->addWidget(label);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* open = buttons->addButton(OpenButton, QDialogButtonBox::AcceptRole);
    buttons->addButton(CancelButton, QDialogButtonBox::RejectRole);
    open->setEnabled(!rows.isEmpty());
    open->setDefault(true);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemActivated, &dialog, &QDialog::accept);
    list->setFocus();
    KeepInWorkArea(dialog);
    if (dialog.exec() != QDialog::Accepted || rows.isEmpty()) return -1;
    return list->currentRow();
}

} // namespace zelm
