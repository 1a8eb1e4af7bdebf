// The yardstick for start-up: a bare Qt window built in code, with a list and a scroll
// area showing what the reader's first screen shows (the first category's titles and its
// first article, in the same faces and sizes), that saves its screenshot the way the
// reader does and exits. The difference to the reader is then what our own layers cost:
// the description, the library, the controls, the wrap engine, the ruled page.

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QScrollArea>
#include <QTextStream>
#include <QTimer>
#include <QWidget>

namespace {

QString readUtf8(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString dir = QStringLiteral(ORLENTH_COLLECTION_DIR "/cat0/");
    QWidget window;
    window.resize(709, 422);
    auto* layout = new QHBoxLayout(&window);
    auto* list = new QListWidget;
    QFont listFont(QStringLiteral("AR PL UMing CN"));
    listFont.setPixelSize(13);
    list->setFont(listFont);
    QString firstFile;
    for (const QString& line :
         readUtf8(dir + QStringLiteral("catalogue.tsv")).split(QLatin1Char('\n'))) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() < 3) continue;
        if (firstFile.isEmpty()) firstFile = fields[1];
        list->addItem(fields[2]);
    }
    list->setCurrentRow(0);
    layout->addWidget(list, 1);
    auto* area = new QScrollArea;
    auto* page = new QLabel(readUtf8(dir + firstFile));
    QFont pageFont(QStringLiteral("AR PL UMing CN"));
    pageFont.setPixelSize(14);
    page->setFont(pageFont);
    page->setWordWrap(true);
    page->setFixedWidth(333);
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
