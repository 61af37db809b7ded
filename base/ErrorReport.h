#pragma once

#include "base/Failure.h"
#include "base/Reporter.h"

#include <QString>

namespace plumark {

inline constexpr auto SupportAddress = "support@kestrova.com";

// The identity texts that reports of the guarded procedures carry.
namespace identity {
inline constexpr auto Form_Load = "in Plumark2021/08/31.Form1.Form_Load ";
inline constexpr auto PushButton1_Click = "in Plumark2021/08/31.Form1.PushButton1_Click ";
inline constexpr auto PushButton2_Click = "in Plumark2021/08/31.Form1.PushButton2_Click ";
inline constexpr auto PushButton3_Click = "in Plumark2021/08/31.Form1.PushButton3_Click ";
inline constexpr auto PushButton4_Click = "in Plumark2021/08/31.Form1.PushButton4_Click ";
inline constexpr auto PushButton5_Click = "in Plumark2021/08/31.Form1.PushButton5_Click ";
inline constexpr auto PushButton7_Click = "in Plumark2021/08/31.Form1.PushButton7_Click ";
inline constexpr auto getAudioBitRate = "in Plumark2021/08/31.Form1.getAudioBitRate ";
inline constexpr auto GetSubDirectories2016 =
    "in Wrenfield2021/08/31.AddFolder.GetSubDirectories2016 ";
} // namespace identity

// The text of the "Application Error" report.
QString errorReportText(const QString& description, const QString& identity, int line);

// Shows the report: title "Application Error", warning icon, OK only.
void ShowErrorReport(Reporter& reporter, const QString& description, const QString& identity,
                     int line);

// The trap of a guarded procedure. Each step runs under its fixed line number;
// a failure is reported with the procedure's identity and that line, and the
// procedure goes on with its next step.
class Guard
{
public:
    Guard(Reporter& reporter, const char* identity) : m_reporter(reporter), m_identity(identity) {}

    // Runs one step. Returns false when the step failed (and was reported).
    template <class F> bool step(int line, F&& f)
    {
        m_line = line;
        try {
            f();
            return true;
        } catch (const Failure& e) {
            report(e.description());
        } catch (const std::exception& e) {
            report(QString::fromUtf8(e.what()));
        }
        return false;
    }

    // A branch test: a test that fails is reported and counts as passed, so
    // the procedure goes on with the first step of the branch.
    template <class F> bool test(int line, F&& f)
    {
        bool result = true;
        step(line, [&] { result = f(); });
        return result;
    }

    int line() const { return m_line; }

private:
    void report(const QString& description)
    {
        ShowErrorReport(m_reporter, description, QString::fromLatin1(m_identity), m_line);
    }

    Reporter& m_reporter;
    const char* m_identity;
    int m_line = 0;
};

} // namespace plumark
