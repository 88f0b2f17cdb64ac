// The About box: the program's descriptive name and version from its version information, a
// by-line and a copyright line beside the program's emblem. A click on the free background
// closes it.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QString>

class QFrame;
class QLabel;

namespace qv {

class TAboutForm : public QDialog {
    Q_OBJECT
  public:
    // `exePath` names the file whose version information is shown; empty means the running
    // program.
    explicit TAboutForm(QWidget* parent = nullptr, const QString& exePath = QString());

    QLabel* Image1 = nullptr;
    QLabel* NameLabel = nullptr;
    QLabel* VersionLabel = nullptr;
    QLabel* ByLine = nullptr;
    QLabel* CopyrightLabel = nullptr;
    QFrame* Bevel1 = nullptr;

    // Fills the labels from the version information; throws the version reader's errors, and
    // the labels that were not reached keep their design texts.
    void FormCreate();
    // A click on the background: closes the window, ending a modal showing.
    void FormClick();

    // The error FormCreate raised during construction, or empty text.
    QString CreateError() const { return m_createError; }

  public slots:
    // Showing sizes the labels to their texts and draws the emblem: a box made at start-up
    // leaves both until it is first shown.
    void setVisible(bool visible) override;

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QString m_exePath;
    QString m_createError;
};

// The program's emblem: a cable cross-section with a lightning flash, drawn for `size` logical
// pixels at the given device pixel ratio so that it stays crisp on high-DPI screens.
QPixmap AmpwiseEmblem(int size = 32, qreal devicePixelRatio = 1.0);

} // namespace qv
