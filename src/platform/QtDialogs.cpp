#include "platform/Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

void QtDialogs::message(QWidget* parent, const QString& text, const QString& detail) {
    QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok, parent);
    box.setInformativeText(detail);
    box.exec();
}

std::optional<QString> QtDialogs::saveLocation(QWidget* parent) {
    const QString path = QFileDialog::getSaveFileName(parent);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> QtDialogs::openLocation(QWidget* parent, const QStringList& filters) {
    const QString path =
        QFileDialog::getOpenFileName(parent, QString(), QString(), filters.join(";;"));
    if (path.isEmpty())
        return std::nullopt;
    return path;
}
