#include "tests/support/FakeDialogs.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include <memory>

namespace testsupport {

void TFakeDialogs::MessageBox(const orlenth::TMessageBoxRequest& request) {
    log_.boxes.push_back(request);
}

int TFakeDialogs::RunModal(QWidget& window) {
    log_.modalWindows.push_back(window.objectName());
    return log_.modalLoop ? log_.modalLoop(window) : log_.modalResult;
}

void TFakeDialogs::ExecMenu(QMenu& menu, const QPoint& globalPos) {
    log_.menuPositions.push_back(globalPos);
    QStringList texts;
    for (QAction* a : menu.actions()) texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    log_.menuTexts.push_back(texts);
    if (log_.whileOpen) log_.whileOpen(menu);
    if (log_.pick >= 0 && log_.pick < menu.actions().size()) menu.actions()[log_.pick]->trigger();
}

bool TFakeDialogs::ChooseFont(QFont& font, QColor& color, QWidget* owner) {
    log_.offeredFont = font;
    log_.offeredColor = color;
    log_.owner = owner;
    if (log_.editFont) log_.editFont(font, color);
    return log_.confirm;
}

bool TFakeDialogs::ChooseColor(QColor& color, QWidget* owner) {
    log_.offeredColor = color;
    log_.owner = owner;
    if (log_.editColor) log_.editColor(color);
    return log_.confirm;
}

QString TFakeDialogs::ChooseOpenPath(QWidget* owner, const QString& startDir) {
    log_.openPathCalls.push_back({owner, startDir});
    if (log_.openPaths.empty()) return {};
    QString answer = log_.openPaths.front();
    log_.openPaths.pop_front();
    return answer;
}

TDialogLog& InstallFakeDialogs() {
    static TDialogLog log;
    log = TDialogLog{};
    orlenth::SetDialogs(std::make_unique<TFakeDialogs>(log));
    return log;
}

} // namespace testsupport
