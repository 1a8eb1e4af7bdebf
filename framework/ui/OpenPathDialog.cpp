#include "framework/ui/OpenPathDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>

namespace orlenth {

TOpenPathDialog::TOpenPathDialog(QWidget* owner, const QString& startDir)
    : QFileDialog(owner, QStringLiteral("打开")) {
    setObjectName(QStringLiteral("openPathDialog"));
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
    setNameFilters({QStringLiteral("文本文件 (*.txt)"), QStringLiteral("所有文件 (*)")});
    const QFileInfo start(startDir);
    setDirectory(!startDir.isEmpty() && start.isDir() ? start.absoluteFilePath()
                                                      : QDir::currentPath());

    // Beside 打开 and 取消, in the same row and the same Tab order. Qt's own dialog always
    // has this box; were it ever missing, the dialog would still open files.
    if (auto* box = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))) {
        folderButton_ =
            box->addButton(QStringLiteral("选择此文件夹(&F)"), QDialogButtonBox::ActionRole);
        folderButton_->setObjectName(QStringLiteral("chooseFolderButton"));
        folderButton_->setAccessibleName(QStringLiteral("选择此文件夹"));
        folderButton_->setToolTip(QStringLiteral("打开正在显示的文件夹"));
        folderButton_->setAccessibleDescription(folderButton_->toolTip());
        // Enter stays with 打开: this button takes only a press of its own.
        folderButton_->setAutoDefault(false);
        connect(folderButton_, &QPushButton::clicked, this, &TOpenPathDialog::chooseShownFolder);
    }
    // A file chosen after all (the dialog shown again) outranks a folder chosen before.
    connect(this, &QFileDialog::filesSelected, this, [this] { folder_.clear(); });
}

QString TOpenPathDialog::ChosenPath() const {
    if (result() != QDialog::Accepted) return {};
    if (!folder_.isEmpty()) return folder_;
    const QStringList files = selectedFiles();
    return files.isEmpty() ? QString() : QFileInfo(files.first()).absoluteFilePath();
}

void TOpenPathDialog::chooseShownFolder() {
    folder_ = directory().absolutePath();
    // Past QFileDialog::accept(), which would check the typed file name instead.
    done(QDialog::Accepted);
}

} // namespace orlenth
