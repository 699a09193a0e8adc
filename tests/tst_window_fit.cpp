// Every plant's nine facts fit their boxes: each row is chosen in the real window's list, and
// each fact box's text must lie inside the box's line area, as the box lays it out, without
// being cut off at either end or scrolled.

#include "form1.h"
#include "herbdisplay.h"
#include "pathtext.h"

#include <QLineEdit>
#include <QListWidget>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The area in which a line edit draws its text: the style's contents rectangle inside the
// frame, less the text margins and the two pixels the box keeps clear at each side.
QRect lineArea(const QLineEdit *box)
{
    QStyleOptionFrame option;
    option.initFrom(box);
    option.rect = box->contentsRect();
    option.lineWidth = box->hasFrame()
            ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box)
            : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    option.features = QStyleOptionFrame::None;
    const QMargins margins = box->textMargins();
    constexpr int kSideMargin = 2;
    return box->style()
            ->subElementRect(QStyle::SE_LineEditContents, &option, box)
            .adjusted(margins.left() + kSideMargin, margins.top(), -margins.right() - kSideMargin,
                      -margins.bottom());
}

} // namespace

class TestWindowFit : public QObject
{
    Q_OBJECT

private slots:
    void everyFactFitsItsBox()
    {
        QTemporaryDir folder; // no photos: only the nine facts matter here
        Form1 form([&folder] { return localPath(folder.path()); });
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto *list = form.findChild<QListWidget *>(QStringLiteral("List1"));
        QVERIFY(list);
        QList<QLineEdit *> boxes;
        for (HerbField field : kHerbFields)
            boxes.append(form.findChild<QLineEdit *>(herbFieldTextBox(field)));
        QVERIFY(!boxes.contains(nullptr));

        QStringList cutOff;
        for (int row = 1; row <= HerbCatalogue::count(); ++row) {
            list->setCurrentRow(row - 1);
            QCOMPARE(form.herbNumber(), row);
            const std::optional<HerbDisplay> display
                    = composeHerbDisplay(static_cast<HerbNumber>(row), localPath(folder.path()));
            for (int index = 0; index < kHerbFieldCount; ++index) {
                const QLineEdit *box = boxes.at(index);
                QCOMPARE(box->text(), display->texts.at(index));
                const QFontMetrics metrics(box->font());
                const QRect area = lineArea(box);
                // The box reserves one pixel beyond the text for the cursor.
                const int used = metrics.horizontalAdvance(box->text()) + 1;
                if (used > area.width() || metrics.height() > area.height())
                    cutOff << QStringLiteral("%1 %2: %3 of %4 px: %5")
                                      .arg(row)
                                      .arg(box->objectName())
                                      .arg(used)
                                      .arg(area.width())
                                      .arg(box->text());
            }
        }
        QVERIFY2(cutOff.isEmpty(), qPrintable(cutOff.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(TestWindowFit)
#include "tst_window_fit.moc"
