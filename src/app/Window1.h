#pragma once

#include "capture/CaptureState.h"

#include <QList>
#include <QMainWindow>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTimer;
class Dialogs;
class SerialPort;
class SerialSystem;
class TraceRow;

// The main window: the 55 controls, the two serial ports, the three timers and the capture. Its
// handler methods are the glue between the controls and the capture, display and file logic.
class Window1 : public QMainWindow {
    Q_OBJECT
public:
    // Content size at creation and the limits the user can resize within.
    static constexpr int kWidth = 962;
    static constexpr int kHeight = 430;
    static constexpr int kMinWidth = 815;
    static constexpr int kMinHeight = 340;
    static constexpr int kMaxWidth = 32000;
    static constexpr int kMaxHeight = 430;

    Window1(SerialSystem& serialSystem, Dialogs& dialogs, QWidget* parent = nullptr);
    ~Window1() override;

    // The capture the window holds.
    capture::CaptureState& capture() { return m_capture; }
    const capture::CaptureState& capture() const { return m_capture; }

    // Window events.
    void Event_Open();
    void Event_Close();

    // Handlers, one per control event.
    void ScrollBar1_ValueChanged();
    void AcquirePB_Action();
    void SerialPortPopup_Change();
    void SerialPortPopup_Open();
    void Serial1_Error();
    void Serial1_LineStateChanged(const QList<qint32>& changed);
    void Serial2_Error();
    void Serial2_LineStateChanged(const QList<qint32>& changed);
    void SerialPortPopup2_Change();
    void SerialPortPopup2_Open();
    void Timer1_Action();
    void Baud1_Change();
    void Baud1_TextChanged();
    void Baud2_Change();
    void Baud2_TextChanged();
    void PopupMenu1_Change();
    void DisplayTimer_Action();
    void ASCIIRB_Action();
    void HexRB_Action();
    void STest1_Action();
    void STest2_Action();
    void HSpeedCB_Action();
    void SavePB_Action();
    void TimeGapTimer_Action();
    void GapTimeEF_TextChange();
    void LoadPB_Action();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The controls and objects of one port, for the twin handlers.
    struct PortSide {
        SerialPort* port;
        QComboBox* popup;
        QComboBox* baud;
    };
    PortSide side1() const;
    PortSide side2() const;
    void portPopupOpen(const PortSide& side);
    void portPopupChange(const PortSide& side);
    void baudChange(const PortSide& side);
    void baudTextChanged(const PortSide& side);
    void portError(const PortSide& side);
    void testPattern(const PortSide& side);
    void lineStateChanged();

    void Layout();
    void CreateControls();
    // Moves and widens the anchored controls for the content width.
    void applyAnchoring(int contentWidth);
    // Ends an acquisition: the same effects whether the user or the slot limit stops it.
    void endAcquisition();
    // Shows the gap-time field's text in red while its value is below the minimum, else black.
    void setGapTimeWarning(bool warn);
    // The eight trace rows, top to bottom.
    QList<TraceRow*> rows() const;

    SerialSystem& m_serialSystem;
    Dialogs& m_dialogs;
    capture::CaptureState m_capture;
    bool m_opened = false;

    QWidget* m_content = nullptr;
    // Geometry of every anchored control at the creation width.
    struct Anchor {
        QWidget* widget;
        QRect base;
        bool stretch; // else kept at its distance from the right edge
    };
    QList<Anchor> m_anchors;

    // Controls and objects, named as their objectName.
    TraceRow* rxd = nullptr;
    QScrollBar* ScrollBar1 = nullptr;
    TraceRow* txd = nullptr;
    TraceRow* rts = nullptr;
    TraceRow* cts = nullptr;
    TraceRow* dtr = nullptr;
    TraceRow* dsr = nullptr;
    TraceRow* dcd = nullptr;
    TraceRow* ri = nullptr;
    QLabel* StaticText1 = nullptr;
    QLabel* StaticText2 = nullptr;
    QLabel* StaticText3 = nullptr;
    QLabel* StaticText4 = nullptr;
    QLabel* StaticText5 = nullptr;
    QLabel* StaticText6 = nullptr;
    QLabel* StaticText7 = nullptr;
    QLabel* StaticText8 = nullptr;
    QLabel* StaticText9 = nullptr;
    QLabel* StaticText10 = nullptr;
    QLabel* StaticText11 = nullptr;
    QLabel* StaticText12 = nullptr;
    QLabel* StaticText13 = nullptr;
    QLabel* StaticText14 = nullptr;
    QLabel* StaticText15 = nullptr;
    QLabel* StaticText16 = nullptr;
    QPushButton* AcquirePB = nullptr;
    QComboBox* SerialPortPopup = nullptr;
    SerialPort* Serial1 = nullptr;
    SerialPort* Serial2 = nullptr;
    QComboBox* SerialPortPopup2 = nullptr;
    QTimer* Timer1 = nullptr;
    QComboBox* Baud1 = nullptr;
    QComboBox* Baud2 = nullptr;
    QComboBox* PopupMenu1 = nullptr;
    QTimer* DisplayTimer = nullptr;
    QRadioButton* ASCIIRB = nullptr;
    QRadioButton* HexRB = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QCheckBox* ShowTimeGapsCB = nullptr;
    QLineEdit* TimeGapCharEF = nullptr;
    QPushButton* STest1 = nullptr;
    QPushButton* STest2 = nullptr;
    QLabel* StaticText17 = nullptr;
    QLabel* StaticText18 = nullptr;
    QLabel* StaticText19 = nullptr;
    QCheckBox* HSpeedCB = nullptr;
    QLabel* StaticText20 = nullptr;
    QLabel* StaticText21 = nullptr;
    QLabel* StaticText22 = nullptr;
    QLabel* StaticText23 = nullptr;
    QLabel* StaticText24 = nullptr;
    QLabel* StaticText25 = nullptr;
    QLabel* StaticText26 = nullptr;
    QLabel* StaticText27 = nullptr;
    QPushButton* SavePB = nullptr;
    QTimer* TimeGapTimer = nullptr;
    QLabel* StaticText28 = nullptr;
    QLineEdit* GapTimeEF = nullptr;
    QLabel* StaticText29 = nullptr;
    QPushButton* LoadPB = nullptr;
};
