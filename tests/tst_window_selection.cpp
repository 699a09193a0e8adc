// Choosing a plant in the real window by click, re-click, double click and keys: the photo is
// read anew, then the nine fact boxes are written in order. A choice that names no row.

#include "form1.h"
#include "herbdisplay.h"
#include "pathtext.h"
#include "photobox.h"

#include <QBuffer>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool near(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) < 24 && qAbs(a.green() - b.green()) < 24
            && qAbs(a.blue() - b.blue()) < 24;
}

QImage solid(const QSize &size, const QColor &colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

} // namespace

class TestWindowSelection : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(QDir(m_folder.path()).mkpath(QStringLiteral("photos")));
        m_form = std::make_unique<Form1>([this] { return localPath(m_folder.path()); });
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        m_list = m_form->findChild<QListWidget *>(QStringLiteral("List1"));
        m_picture = m_form->findChild<PhotoBox *>(QStringLiteral("Picture1"));
        m_boxes = m_form->findChildren<QLineEdit *>(QRegularExpression(QStringLiteral("^Text")));
        std::sort(m_boxes.begin(), m_boxes.end(),
                  [](auto *a, auto *b) { return a->objectName() < b->objectName(); });
        QCOMPARE(m_boxes.size(), 9);
    }
    void cleanup()
    {
        m_form.reset();
        QDir(m_folder.filePath(QStringLiteral("photos"))).removeRecursively();
    }

    void choosing_data()
    {
        QTest::addColumn<int>("before"); // the row chosen first, -1 for none
        QTest::addColumn<int>("action"); // a key, or 0: click, -1: double click, -2: Ctrl+click
        QTest::addColumn<int>("lowest"); // the rows the choice may land on, -1 for none
        QTest::addColumn<int>("highest");
        QTest::newRow("click") << -1 << 0 << 5 << 5;
        QTest::newRow("click the chosen name") << 5 << 0 << 5 << 5;
        QTest::newRow("double click on the chosen name") << 7 << -1 << 7 << 7;
        QTest::newRow("Ctrl+click takes the choice away") << 13 << -2 << -1 << -1;
        QTest::newRow("Down") << 5 << int(Qt::Key_Down) << 6 << 6;
        QTest::newRow("End") << 5 << int(Qt::Key_End) << 132 << 132;
        QTest::newRow("PageDown") << 5 << int(Qt::Key_PageDown) << 6 << 132;
    }
    void choosing()
    {
        QFETCH(int, before);
        QFETCH(int, action);
        QFETCH(int, lowest);
        QFETCH(int, highest);
        if (before >= 0)
            click(before);
        // The photos appear only now and the boxes hold a reader's edits: the choice must read
        // its photo anew and rewrite all nine boxes.
        QByteArray photo;
        QBuffer buffer(&photo);
        buffer.open(QIODevice::WriteOnly);
        solid(QSize(40, 30), Qt::red).save(&buffer, "PNG");
        for (const QString &name : HerbCatalogue::displayNames())
            writePhoto(name, photo);
        for (QLineEdit *box : std::as_const(m_boxes))
            box->setText(QStringLiteral("x"));

        QStringList effects;
        connect(m_picture, &PhotoBox::photoShown, this, [&](const QString &path) {
            effects << QFileInfo(path).fileName() << texts(); // no box is written before the photo
        });
        for (QLineEdit *box : std::as_const(m_boxes))
            connect(box, &QLineEdit::textChanged, this, [&, box] { effects << box->objectName(); });

        const QImage shown = m_picture->grab().toImage();

        if (action > 0)
            QTest::keyClick(m_list, Qt::Key(action));
        else if (action == -2)
            click(before, Qt::ControlModifier); // position -1: no row, nothing read or written
        else
            click(lowest, {}, action == -1);

        const int row = m_form->herbNumber() - 1;
        QVERIFY2(row >= lowest && row <= highest, qPrintable(QString::number(row)));
        if (row < 0) {
            QVERIFY(m_list->selectedItems().isEmpty());
            QCOMPARE(effects, QStringList());
            QCOMPARE(texts(), QStringList(9, QStringLiteral("x")));
            QCOMPARE(m_picture->grab().toImage(), shown);
            return;
        }
        QCOMPARE(m_list->selectedItems(), QList<QListWidgetItem *> {m_list->item(row)});
        QStringList expected {m_list->item(row)->text() + ".jpg"};
        expected << QStringList(9, QStringLiteral("x"));
        for (QLineEdit *box : std::as_const(m_boxes))
            expected << box->objectName();
        QCOMPARE(effects, expected);
        QCOMPARE(texts(), composed(row + 1));
        QCOMPARE(m_boxes[8]->cursorPosition(), 0); // long values show from their start
        QTRY_VERIFY(near(m_picture->picture().pixelColor(0, 0), Qt::red));
    }

private:
    QStringList texts() const
    {
        QStringList texts;
        for (QLineEdit *box : m_boxes)
            texts << box->text();
        return texts;
    }
    QStringList composed(HerbNumber n) const
    {
        const auto display = composeHerbDisplay(n, localPath(m_folder.path()));
        return display ? QStringList(display->texts.begin(), display->texts.end()) : QStringList();
    }
    void writePhoto(const QString &name, const QByteArray &content)
    {
        QFile file(m_folder.filePath("photos/" + name + ".jpg"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    void click(int row, Qt::KeyboardModifiers modifiers = {}, bool twice = false)
    {
        m_list->scrollToItem(m_list->item(row));
        const QPoint at = m_list->visualItemRect(m_list->item(row)).center();
        if (twice) // through the window, as a display delivers it: press, release, double click
            QTest::mouseDClick(m_form->windowHandle(), Qt::LeftButton, modifiers,
                               m_list->viewport()->mapTo(m_form.get(), at));
        else
            QTest::mouseClick(m_list->viewport(), Qt::LeftButton, modifiers, at);
    }

    QTemporaryDir m_folder {QDir::tempPath() + QStringLiteral("/quillora 照片 #XXXXXX")};
    std::unique_ptr<Form1> m_form;
    QListWidget *m_list = nullptr;
    PhotoBox *m_picture = nullptr;
    QList<QLineEdit *> m_boxes;
};

QTEST_MAIN(TestWindowSelection)
#include "tst_window_selection.moc"
