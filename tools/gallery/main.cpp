// Renders every custom control in each of its states, and every window and dialog during a run,
// to PNG files, so that a person can look at every look at once:
//     velmora-gallery <output folder>
// Each control is drawn on a dialog-grey ground at its own size; "gallery.png" shows them all
// side by side, enlarged three times. The windows are the "window_*.png" files.

#include "HistoryShots.h"
#include "JournalShots.h"
#include "WindowShots.h"
#include "ui/controls/ColorButton.h"
#include "ui/controls/DlgItem.h"
#include "ui/controls/HotTrackButton.h"
#include "ui/controls/LedDigitDisplay.h"
#include "ui/controls/ResourceImages.h"
#include "ui/controls/StateImageButton.h"
#include "ui/controls/StyledLabel.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPainter>
#include <QTextStream>

#include <cstdio>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QColor kDialogFace(192, 192, 192);

struct Shot
{
    QString name;
    QImage image;
};

class Gallery
{
public:
    explicit Gallery(const QString &folder)
        : m_folder(folder)
    { }

    // Builds a host window with one control, brings it into the state, grabs the control.
    template<class Control>
    void Render(const QString &name, const QSize &size,
                const std::function<void(Control &)> &prepare,
                const std::function<void(Control &)> &afterShow = {})
    {
        QWidget host;
        QPalette palette = host.palette();
        palette.setColor(QPalette::Window, kDialogFace);
        palette.setColor(QPalette::Button, kDialogFace);
        host.setPalette(palette);
        host.setAutoFillBackground(true);
        host.resize(size + QSize(20, 20));
        auto *control = new Control(&host);
        control->setGeometry(QRect(QPoint(10, 10), size));
        prepare(*control);
        // The host keeps the focus unless a state asks for it, so that "normal" means unfocused.
        host.setFocusPolicy(Qt::StrongFocus);
        host.show();
        host.activateWindow();
        for (int i = 0; i < 100 && !host.isActiveWindow(); ++i) {
            QCoreApplication::processEvents();
        }
        host.setFocus(Qt::OtherFocusReason);
        if (afterShow) {
            afterShow(*control);
        }
        QCoreApplication::processEvents();
        const QImage image = host.grab(control->geometry()).toImage();
        m_shots.append({ name, image });
        if (!image.save(QDir(m_folder).filePath(name + u".png"_s))) {
            m_failed = true;
        }
    }

    bool SaveSheet()
    {
        constexpr int zoom = 3;
        constexpr int columns = 3;
        int cellWidth = 0;
        for (const Shot &shot : m_shots) {
            cellWidth = std::max(cellWidth, shot.image.width() * zoom + 10);
        }
        int rowHeight = 0;
        QList<int> rowHeights;
        for (int i = 0; i < m_shots.size(); ++i) {
            rowHeight = std::max(rowHeight, m_shots[i].image.height() * zoom + 30);
            if (i % columns == columns - 1 || i + 1 == m_shots.size()) {
                rowHeights.append(rowHeight);
                rowHeight = 0;
            }
        }
        int height = 0;
        for (int h : rowHeights) {
            height += h;
        }
        QImage sheet(cellWidth * columns, height, QImage::Format_RGB32);
        sheet.fill(Qt::white);
        QPainter painter(&sheet);
        int y = 0;
        for (int i = 0; i < m_shots.size(); ++i) {
            const int column = i % columns;
            const QImage &image = m_shots[i].image;
            const int x = column * cellWidth;
            painter.drawText(QPoint(x + 4, y + 14), m_shots[i].name);
            painter.drawImage(QRect(x + 4, y + 20, image.width() * zoom, image.height() * zoom),
                              image);
            if (column == columns - 1) {
                y += rowHeights[i / columns];
            }
        }
        painter.end();
        return sheet.save(QDir(m_folder).filePath(u"gallery.png"_s)) && !m_failed;
    }

private:
    QString m_folder;
    QList<Shot> m_shots;
    bool m_failed = false;
};

void SendMouse(QWidget &widget, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons,
               QPoint at = QPoint(3, 3))
{
    QMouseEvent event(type, at, widget.mapToGlobal(at), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

void RenderColorButtons(Gallery &gallery)
{
    struct Colours
    {
        const char *name;
        QString caption;
        QColor face, text, disabled;
    };
    const Colours sets[] = {
        { "retest", u"+复测"_s, kDialogFace, QColor(1, 1, 1), QColor(128, 128, 128) },
        { "zero", u"清零"_s, QColor(0, 128, 255), QColor(255, 255, 255), QColor(0, 0, 128) },
    };
    const QSize size(57, 28);
    for (const Colours &set : sets) {
        const auto prepare = [&set](CColorButton &button) {
            SetDlgCtrlId(&button, 1007);
            button.setText(set.caption);
            button.SubclassWithColors(1007, button.parentWidget(), set.face, set.text, set.disabled,
                                      2);
        };
        const QString base = u"colorbutton_"_s + QLatin1StringView(set.name);
        gallery.Render<CColorButton>(base + u"_normal"_s, size, prepare);
        gallery.Render<CColorButton>(base + u"_focused"_s, size, prepare,
                                     [](CColorButton &b) { b.setFocus(Qt::TabFocusReason); });
        gallery.Render<CColorButton>(base + u"_pressed"_s, size, prepare, [](CColorButton &b) {
            b.setFocus(Qt::TabFocusReason);
            b.setDown(true);
        });
        gallery.Render<CColorButton>(base + u"_disabled"_s, size, [&prepare](CColorButton &b) {
            prepare(b);
            b.setEnabled(false);
        });
    }
    gallery.Render<CColorButton>(u"colorbutton_bevel1"_s, size, [](CColorButton &button) {
        SetDlgCtrlId(&button, 1);
        button.setText(u"1"_s);
        button.SubclassWithColors(1, button.parentWidget(), kDialogFace, Qt::black, Qt::gray, 1);
    });
    gallery.Render<CColorButton>(u"colorbutton_bevel4"_s, size, [](CColorButton &button) {
        SetDlgCtrlId(&button, 1);
        button.setText(u"4"_s);
        button.SubclassWithColors(1, button.parentWidget(), kDialogFace, Qt::black, Qt::gray, 4);
    });
    gallery.Render<CColorButton>(u"colorbutton_sunken3"_s, size, [](CColorButton &button) {
        SetDlgCtrlId(&button, 1);
        button.setText(u"-3"_s);
        button.SubclassWithColors(1, button.parentWidget(), kDialogFace, Qt::black, Qt::gray, -3);
    });
}

void RenderDisplays(Gallery &gallery)
{
    const QString texts[] = { u" 00.000"_s, u"+12.345"_s, u"-100.00"_s };
    const QString textNames[] = { u"zero"_s, u"plus"_s, u"minus"_s };
    const struct
    {
        const char *name;
        QColor color;
    } colours[] = { { "red", QColor(255, 0, 0) }, { "green", QColor(0, 255, 0) } };
    for (const auto &colour : colours) {
        for (int i = 0; i < 3; ++i) {
            // The main window's display: 133 x 38 dialog units, about 200 x 62 pixels.
            gallery.Render<CLedDigitDisplay>(u"display_"_s + QLatin1StringView(colour.name) + u"_"_s
                                                 + textNames[i],
                                             QSize(200, 62), [&](CLedDigitDisplay &display) {
                                                 display.SetDigitCount(7);
                                                 display.SetLedColor(colour.color);
                                                 display.SetDisplayText(texts[i]);
                                             });
        }
    }
    gallery.Render<CLedDigitDisplay>(u"display_all_images"_s, QSize(15 * 13, 23),
                                     [](CLedDigitDisplay &display) {
                                         display.SetDigitCount(15);
                                         display.SetDisplayText(u"0123456789 .:-+"_s);
                                     });
}

void RenderLabels(Gallery &gallery)
{
    gallery.Render<CStyledLabel>(u"label_main_italic"_s, QSize(160, 14), [](CStyledLabel &label) {
        label.ApplyFaceName(u"宋体"_s);
        label.ApplyPointSize(9);
        label.ApplyTextColor(QColor(0, 0, 0));
        label.ApplyItalic(true);
        label.ApplyBold(false);
        label.setText(u"张三 Zhang San"_s);
    });
    gallery.Render<CStyledLabel>(u"label_login_title"_s, QSize(200, 24), [](CStyledLabel &label) {
        label.ApplyFaceName(u"宋体"_s);
        label.ApplyPointSize(12);
        label.ApplyTextColor(QColor(255, 0, 0));
        label.ApplyItalic(false);
        label.ApplyBold(true);
        label.setText(u" 旋光仪数据记录"_s);
    });
}

void RenderLamps(Gallery &gallery)
{
    for (int state = 0; state <= 3; ++state) {
        for (const bool withCaption : { false, true }) {
            const QString name =
                u"lamp_state%1%2"_s.arg(state).arg(withCaption ? u"_caption"_s : QString());
            gallery.Render<CStateImageButton>(name, withCaption ? QSize(48, 30) : QSize(30, 24),
                                              [state, withCaption](CStateImageButton &lamp) {
                                                  lamp.AssignStateBitmapIds(151, 150, 149, 151);
                                                  if (withCaption) {
                                                      lamp.setText(u"灯"_s);
                                                  }
                                                  lamp.SetState(state);
                                              });
        }
    }
}

void RenderHotButtons(Gallery &gallery)
{
    // The help button of the main window: 25 x 18 dialog units, no caption, layout 1.
    const QSize helpSize(38, 29);
    const auto help = [](CHotTrackButton &button) {
        button.AssignBitmapIds(ResourceId::HelpImage, ResourceId::HelpImage, ResourceId::HelpImage);
        button.SetLayout(CHotTrackButton::Layout::ImageLeft);
    };
    gallery.Render<CHotTrackButton>(u"hotbutton_help_normal"_s, helpSize, help);
    gallery.Render<CHotTrackButton>(
        u"hotbutton_help_hot"_s, helpSize, help,
        [](CHotTrackButton &b) { SendMouse(b, QEvent::MouseMove, Qt::NoButton, {}); });
    gallery.Render<CHotTrackButton>(u"hotbutton_help_focused"_s, helpSize, help,
                                    [](CHotTrackButton &b) {
                                        b.setFocus(Qt::TabFocusReason);
                                        // Pointer passed over and left: the focus colour shows.
                                        SendMouse(b, QEvent::MouseMove, Qt::NoButton, {});
                                        QEvent leave(QEvent::Leave);
                                        QCoreApplication::sendEvent(&b, &leave);
                                    });
    gallery.Render<CHotTrackButton>(
        u"hotbutton_help_pressed"_s, helpSize, help, [](CHotTrackButton &b) {
            SendMouse(b, QEvent::MouseMove, Qt::NoButton, {});
            SendMouse(b, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
        });
    gallery.Render<CHotTrackButton>(u"hotbutton_help_disabled"_s, helpSize,
                                    [&help](CHotTrackButton &b) {
                                        help(b);
                                        b.setEnabled(false);
                                    });

    const QSize captionSize(90, 56);
    for (int layout = 0; layout <= 3; ++layout) {
        const auto prepare = [layout](CHotTrackButton &button) {
            button.AssignBitmapIds(ResourceId::HelpImage, 0, 0);
            button.SetLayout(CHotTrackButton::Layout(layout));
            button.setText(u"帮助 Help"_s);
        };
        const QString base = u"hotbutton_layout%1"_s.arg(layout);
        gallery.Render<CHotTrackButton>(base + u"_normal"_s, captionSize, prepare);
        gallery.Render<CHotTrackButton>(
            base + u"_hot"_s, captionSize, prepare,
            [](CHotTrackButton &b) { SendMouse(b, QEvent::MouseMove, Qt::NoButton, {}); });
        gallery.Render<CHotTrackButton>(base + u"_focused"_s, captionSize, prepare,
                                        [](CHotTrackButton &b) {
                                            b.setFocus(Qt::TabFocusReason);
                                            SendMouse(b, QEvent::MouseMove, Qt::NoButton, {});
                                            QEvent leave(QEvent::Leave);
                                            QCoreApplication::sendEvent(&b, &leave);
                                        });
        gallery.Render<CHotTrackButton>(
            base + u"_pressed"_s, captionSize, prepare, [](CHotTrackButton &b) {
                b.setFocus(Qt::TabFocusReason);
                SendMouse(b, QEvent::MouseMove, Qt::NoButton, {});
                SendMouse(b, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
            });
        gallery.Render<CHotTrackButton>(base + u"_disabled"_s, captionSize,
                                        [&prepare](CHotTrackButton &b) {
                                            prepare(b);
                                            b.setEnabled(false);
                                        });
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fputs("usage: velmora-gallery <output folder>\n", stderr);
        return 2;
    }
    const QString folder = arguments.at(1);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "velmora-gallery: cannot create %s\n", qPrintable(folder));
        return 1;
    }
    Gallery gallery(folder);
    RenderColorButtons(gallery);
    RenderDisplays(gallery);
    RenderLabels(gallery);
    RenderLamps(gallery);
    RenderHotButtons(gallery);
    if (!gallery.SaveSheet() || !RenderWindows(folder) || !RenderHistoryWindow(folder)
        || !RenderJournalShots(folder)) {
        std::fprintf(stderr, "velmora-gallery: cannot write the images to %s\n",
                     qPrintable(folder));
        return 1;
    }
    return 0;
}
