#pragma once
// The dialog that chooses what to open: a text file, or a folder to list as a category.
// Qt's own file dialog (not the desktop's, so that it speaks the program's Chinese through
// Qt's translation and behaves the same everywhere), in its mode for one existing file,
// with one more button for the folder it shows.
//
// How a folder is chosen: the user goes into it (a double click, or its name typed or
// picked and Enter, as in any file dialog) and presses 选择此文件夹 (Alt+F, or Tab to it),
// which takes the folder being shown, the one the "look in" box names. It never takes a
// folder that is only selected in the list: Enter and 打开 on a selected folder go into it,
// as everywhere else, and one button means one thing. Files are chosen as usual: a double
// click, or a name and Enter or 打开.

#include <QFileDialog>
#include <QString>

class QPushButton;

namespace orlenth {

class TOpenPathDialog : public QFileDialog {
    Q_OBJECT
public:
    // Starts in `startDir`; in the working directory when it is empty or names no folder.
    TOpenPathDialog(QWidget* owner, const QString& startDir);

    // The absolute path chosen: the file, or the folder 选择此文件夹 took. Empty until the
    // dialog has been accepted, and after it was cancelled.
    QString ChosenPath() const;
    QPushButton* FolderButton() const { return folderButton_; }

private:
    void chooseShownFolder();

    QPushButton* folderButton_ = nullptr;
    QString folder_;
};

} // namespace orlenth
