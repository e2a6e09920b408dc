// On a 1366×768 screen every panel of the tools window and the card open wholly inside the
// screen's available area, their bottom buttons included.
#include "support/Workplace.h"

#include <QGuiApplication>
#include <QScreen>

namespace veltor::test {
namespace {

class Placement : public Workplace {
protected:
    void SetUp() override
    {
        Workplace::SetUp();
        addEmployee(1, "Иванов Иван Иванович", {{"OKLAD", "5000"}});
        start();
    }

    static void expectOnScreen(const QWidget &window, const QString &what)
    {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_TRUE(screen.contains(window.frameGeometry()))
            << what.toStdString() << ": " << window.frameGeometry().x() << "," << window.frameGeometry().y() << " "
            << window.frameGeometry().width() << "×" << window.frameGeometry().height();
    }
};

TEST_F(Placement, EveryToolsPanelAndTheCardFitTheScreen)
{
    ASSERT_EQ(QGuiApplication::primaryScreen()->geometry().size(), QSize(1366, 768));
    // Each panel opened after another, as the clerk goes from one to the next: the window keeps
    // its corner and must not grow past the screen.
    for (QAction *command : {form->N2_1, form->N1_1, form->N1_2, form->N1_3, form->N1_8, form->N2_3, form->N2_4,
                             form->N2_7, form->N3_1, form->N2_1, form->N1_8}) {
        command->trigger();
        ASSERT_TRUE(tools->isVisible()) << command->text().toStdString();
        expectOnScreen(*tools, tools->windowTitle());
    }
    tools->hide();
    openCard(1);
    ASSERT_TRUE(card->isVisible());
    expectOnScreen(*card, card->windowTitle());
}

} // namespace
} // namespace veltor::test
