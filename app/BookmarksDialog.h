#pragma once
// The bookmarks window (书签): the places the user marked, newest first, to go to one,
// rename or delete it. It keeps no bookmarks itself: it shows the rows it is given and
// hands what the user asks for back to its owner, through ChosenId() and GoTo for going
// and the callbacks for renaming and deleting, so that the store stays the owner's.

#include <QDialog>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <vector>

class QEvent;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace orlenth {

struct TBookmarkRow {
    QString id;           // the owner's key; never shown
    QString title;        // the name the user gave it, or the one it was made with
    QString opening;      // the text where it points, a few words of it
    int permille = 0;     // how far into the text, in tenths of a percent
    qint64 made = 0;      // when it was made, in milliseconds since the epoch
    bool missing = false; // its file is gone
};

// How far into the text, as the window shows it: 375 gives "37.5%". Values outside
// 0..1000 are taken as the nearer end.
QString BookmarkPosition(int permille);

class TBookmarksDialog : public QDialog {
    Q_OBJECT
public:
    // The store's answer to a rename or a delete: true when done, and only then does the
    // list change. A callback left empty refuses.
    using TRename = std::function<bool(const QString& id, const QString& newTitle)>;
    using TRemove = std::function<bool(const QString& id)>;

    // Shows `rows` in the order given. The callbacks are called only while the dialog runs,
    // one at a time, with the id of the row the user acted on.
    TBookmarksDialog(std::vector<TBookmarkRow> rows, TRename rename, TRemove remove,
                     QWidget* parent = nullptr);

    // The id of the bookmark the user went to (the dialog was accepted); empty otherwise.
    QString ChosenId() const { return chosen_; }

signals:
    // The user asked to go to this bookmark; the dialog is accepted right after.
    void GoTo(const QString& id);

protected:
    // The list's own keys: Enter goes, Delete deletes, F2 renames.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void goTo(QTreeWidgetItem* item);
    void renameCurrent();
    void removeCurrent();
    void showState();

    TRename rename_;
    TRemove remove_;
    QString chosen_;
    QTreeWidget* list_ = nullptr;
    QLabel* emptyNote_ = nullptr;
    QPushButton* goButton_ = nullptr;
    QPushButton* renameButton_ = nullptr;
    QPushButton* removeButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};

} // namespace orlenth
