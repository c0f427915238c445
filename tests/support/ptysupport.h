#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>

// The instrument's end of a pseudo-terminal, held by a test: the program
// under test opens SlavePath() as its serial device.
class CTestPty {
  public:
    CTestPty();
    ~CTestPty();
    CTestPty(const CTestPty&) = delete;
    CTestPty& operator=(const CTestPty&) = delete;

    bool IsOpen() const { return m_master >= 0; }
    QString SlavePath() const { return m_path; }
    // Sends bytes to the program.
    bool Send(const QByteArray& bytes);
    // What the program has sent so far (non-blocking).
    QByteArray ReadAvailable();
    // Closes the instrument's end, as an adapter pulled out would.
    void CloseMaster();

  private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};

// A running lineatix-sim (path from LINEATIX_SIM) and the device it serves.
struct SimulatorProcess {
    std::unique_ptr<QProcess> process;
    QString devicePath; // empty when it did not start
    ~SimulatorProcess();
};

// Starts `lineatix-sim INSTRUMENT ARGS...` and waits for its device path.
std::unique_ptr<SimulatorProcess> StartSimulator(const QString& instrument,
                                                 const QStringList& arguments = QStringList());
