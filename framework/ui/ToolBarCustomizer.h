#pragma once
// The dialog that customizes a tool bar: the buttons it can take and the ones it has, in
// their order, with commands to add, remove, move and reset them. Every change applies to
// the bar at once; closing keeps them for the rest of the program.

#include <QDialog>

#include <vector>

class QListWidget;
class QPushButton;

namespace orlenth {

class TControl;
class TToolBar;

class TToolBarCustomizer : public QDialog {
    Q_OBJECT
public:
    TToolBarCustomizer(TToolBar& bar, QWidget* parent = nullptr);

    // The bar's stored controls now off it, in their stored order, and the ones on it, in
    // their order there. Rows of the two lists follow them.
    const std::vector<TControl*>& Available() const { return available_; }
    const std::vector<TControl*>& Current() const { return current_; }
    QListWidget* AvailableList() const { return availableList_; }
    QListWidget* CurrentList() const { return currentList_; }

    // The commands act on the selected rows, as the dialog's buttons do. Add puts the
    // selected available control before the selected current one (at the end when none
    // is selected); the moved row stays selected, so that commands can be repeated.
    void Add();
    void Remove();
    void MoveUp();
    void MoveDown();
    // Back to the bar's stored order, with every stored control on it.
    void Reset();

    // The row text of a control: its caption, or "分隔符" for a separator.
    static QString RowText(const TControl& control);

private:
    void Apply(int selectCurrent, int selectAvailable);
    void Fill(int selectCurrent, int selectAvailable);
    void UpdateCommands();

    TToolBar& bar_;
    std::vector<TControl*> available_, current_;
    QListWidget *availableList_, *currentList_;
    QPushButton *add_, *remove_, *up_, *down_, *reset_, *close_;
};

} // namespace orlenth
