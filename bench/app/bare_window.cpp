// The yardstick for start-up: a bare Qt window with a list and a scroll area, built in
// code, that saves its screenshot the way the reader does and exits.

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QScrollArea>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(709, 422);
    auto* layout = new QHBoxLayout(&window);
    auto* list = new QListWidget;
    for (int i = 0; i < 27; ++i) list->addItem(QStringLiteral("Title %1").arg(i));
    list->setCurrentRow(0);
    layout->addWidget(list, 1);
    auto* area = new QScrollArea;
    auto* page = new QLabel(QStringLiteral("A page of text."));
    page->setMinimumSize(333, 2000);
    area->setWidget(page);
    layout->addWidget(area, 2);
    window.show();
    const QByteArray shot = qgetenv("ORLENTH_SCREENSHOT");
    QTimer::singleShot(0, [&] {
        if (!shot.isEmpty()) window.grab().save(QString::fromLocal8Bit(shot), "PNG");
        QApplication::quit();
    });
    return QApplication::exec();
}
