// Renders the Quillmark window off screen to PNG pictures, one per state of
// the field strip, so that what a user sees can be looked at without a
// display: quillmark-pictures OUTPUT_DIR (see tools/render_pictures.sh).
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <functional>
#include <string>

#include "change_value_dialog.h"
#include "descriptor_list.h"
#include "editor_frame.h"
#include "format_items.h"
#include "new_field_dialog.h"
#include "run_context.h"
#include "statement_index.h"
#include "statement_picker_dialog.h"
#include "statement_site.h"
#include "string_table.h"

namespace {

struct SPicture {
    const char* pszName;
    const char* pszList;               // the descriptor list, as it follows FORMAT
    std::function<void()> keys;        // what the user types before the picture
    const char* pszProgram = nullptr;  // a program whose line 7 is that FORMAT statement, whose WRITEs the window shows
};

// A program whose FORMAT two WRITEs use: the first gives it three records
// by reversion, the second a CHARACTER item where an integer is edited.
const char* const kSurvey = "      PROGRAM SURVEY\n"
                            "      INTEGER N(3)\n"
                            "      REAL DEPTH(3), TEMP(3)\n"
                            "      CHARACTER*8 NAME\n"
                            "      WRITE (6, 110) (N(I), DEPTH(I), TEMP(I), I=1,3)\n"
                            "      WRITE (6, 110) NAME, DEPTH(1)\n"
                            "  110 FORMAT (1X, I6, 4X, F11.3, 4X, E13.5)\n"
                            "      END\n";

// The statements that use the picture's FORMAT, read from its program
// written into a folder of its own.
SFormatItems UsesOf(const SPicture& picture)
{
    if (picture.pszProgram == nullptr)
        return {};
    QTemporaryDir temporary;
    const std::string strFile = QDir(temporary.path()).filePath(QStringLiteral("survey.f")).toStdString();
    std::FILE* pFile = std::fopen(strFile.c_str(), "w");
    if (pFile == nullptr)
        return {};
    std::fputs(picture.pszProgram, pFile);
    std::fclose(pFile);
    return FormatItemsInFile(strFile, SOURCE_FORM_BY_SUFFIX, std::string(), 7, 7);
}

QWidget* Focus()
{
    return QApplication::focusWidget();
}

void Keys(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, int nTimes = 1)
{
    for (int i = 0; i < nTimes; ++i) {
        QTest::keyClick(Focus(), key, modifiers);
        QApplication::processEvents();
    }
}

void Type(const char* pszText)
{
    QTest::keyClicks(Focus(), QString::fromLatin1(pszText));
    QApplication::processEvents();
}

std::string LongList()
{
    std::string strList = "(1X, 'Step', I6";
    for (int i = 1; i <= 30; ++i)
        strList += ", 2X, 'T" + std::to_string(i) + "=', F8.3";
    return strList + ")";
}

// A long statement whose last field is a group repeated many times: at its
// end the group's ")" shows the extra passes, wider than the strip.
std::string LongListWithGroup()
{
    std::string strList = LongList();
    strList.pop_back();
    return strList + ", /, 999(A4))";
}

bool Render(const SPicture& picture, const QString& strPath)
{
    CDescriptorList list;
    const std::string strText = std::string(picture.pszList) + "\n";
    if (!list.Split(strText))
        return false;
    CStatementSite site;
    site.m_strFileName = "report.for";
    site.m_strHead = "  100 FORMAT";
    site.m_bFixedForm = 1;
    site.m_chDelimiter = 'f';
    if (list.size() == 0)
        list.InsertEmptyField(0);  // as start-up does for "()"
    CRunContext run;
    CEditorFrame frame(list, site, run);
    frame.setWindowTitle(QStringLiteral("Quillmark - /home/ana/src/report.for - line 16"));
    frame.SetUses(UsesOf(picture));
    frame.CreateControls();
    frame.SetCurrentControl(0);
    frame.show();
    if (!QTest::qWaitForWindowActive(&frame))
        return false;
    if (picture.keys)
        picture.keys();
    QTest::qWait(20);
    return frame.grab().save(strPath);
}

}  // namespace

// The two dialogs as they open over the window.
bool RenderDialogs(const QString& strDir)
{
    QWidget owner;
    owner.resize(600, 300);
    owner.show();
    CNewFieldDlg newField(&owner, TYPE_CUSTOM, "2(I3,1X)");
    newField.show();
    CChangeValueDlg changeValue(&owner, "F7.3", "3.14159");
    changeValue.show();
    QTest::qWait(20);
    bool bOk = newField.grab().save(QDir(strDir).filePath("new-field.png"));
    bOk = changeValue.grab().save(QDir(strDir).filePath("change-value.png")) && bOk;
    std::printf("%s %s and %s\n", bOk ? "wrote" : "FAILED", qPrintable(QDir(strDir).filePath("new-field.png")),
                qPrintable(QDir(strDir).filePath("change-value.png")));
    return bOk;
}

// The list a start with a file alone shows: the statements of a small
// program, indexed as the program indexes them, with "e1" typed into the
// filter.
bool RenderPicker(const QString& strDir)
{
    QTemporaryDir temporary;
    const std::string strFile = QDir(temporary.path()).filePath(QStringLiteral("survey.f")).toStdString();
    std::FILE* pFile = std::fopen(strFile.c_str(), "w");
    if (pFile == nullptr)
        return false;
    std::fputs("      PROGRAM SURVEY\n"
               "      WRITE (6, 100)\n"
               "  100 FORMAT (1X, 'Station', 4X, 'Depth', 6X, 'Temperature')\n"
               "      WRITE (6, 110) N, D, T\n"
               "  110 FORMAT (1X, I7, 4X, F5.1, 4X, E13.5)\n"
               "      WRITE (6, '(1X, ''Mean:'', F8.3)') TMEAN\n"
               "      PRINT '(A, I4, A)', 'Read ', N, ' stations'\n"
               "  120 FORMAT (1X, 'Deepest station', I7, ' at', F7.1,\n"
               "     +        ' m, where the water is', F6.2, ' degrees')\n"
               "  130 FORMAT (/1X, 60('-'))\n"
               "      END\n",
               pFile);
    std::fclose(pFile);
    std::vector<SIndexedStatement> statements;
    if (!IndexStatements(strFile, SOURCE_FORM_BY_SUFFIX, DefaultDescriptorTable(), statements).Ok())
        return false;
    CStatementPickerDlg picker(nullptr, "survey.f", std::move(statements));
    picker.resize(720, 260);
    picker.show();
    QTest::qWait(20);
    bool bOk = picker.grab().save(QDir(strDir).filePath("picker.png"));
    QTest::keyClicks(picker.FilterBox(), QStringLiteral("e1"));
    QTest::qWait(20);
    bOk = picker.grab().save(QDir(strDir).filePath("picker-filtered.png")) && bOk;
    std::printf("%s %s\n", bOk ? "wrote" : "FAILED", qPrintable(QDir(strDir).filePath("picker.png")));
    return bOk;
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString strDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("pictures");
    QDir().mkpath(strDir);
    static const std::string strLong = LongList();
    static const std::string strLongGroup = LongListWithGroup();
    const SPicture pictures[] = {
        {"short", "(1X, I5, F7.2)", [] { Keys(Qt::Key_Right, Qt::ControlModifier); }},
        {"long-scrolled", strLong.c_str(), [] { Keys(Qt::Key_Right, Qt::ControlModifier, 40); }},
        {"long-end", strLongGroup.c_str(), [] { Keys(Qt::Key_End, Qt::ControlModifier); }},
        {"invalid-field", "(1X, I5, F7.2, 2X, A)",
         [] {
             Keys(Qt::Key_Right, Qt::ControlModifier, 2);
             Keys(Qt::Key_End);
             Keys(Qt::Key_Backspace, Qt::NoModifier, 2);
             Type("x");
         }},
        {"group-repeated", "(1X, 3(I4, 1X, 'a'), 2F6.1)", [] { Keys(Qt::Key_Right, Qt::ControlModifier, 5); }},
        {"later-forms", "(\"x =\", F8.3, DC, F8.3, 1000A, G0, *(1X, I0))",
         [] { Keys(Qt::Key_Right, Qt::ControlModifier, 3); }},
        {"empty-format", "()", nullptr},
        // The status line under the strip, on the bundled example's F11.3.
        {"status", "(1X,I6,4X,F11.3,4X,E13.5)", [] { Keys(Qt::Key_Right, Qt::ControlModifier, 3); }},
        // Over each field the items each WRITE gives it, the second WRITE's
        // refused item marked.
        {"items", "(1X, I6, 4X, F11.3, 4X, E13.5)", [] { Keys(Qt::Key_Right, Qt::ControlModifier); }, kSurvey},
        {"items-refused", "(1X, I6, 4X, F11.3, 4X, E13.5)",
         [] {
             Keys(Qt::Key_Right, Qt::ControlModifier);
             Keys(Qt::Key_PageDown, Qt::ControlModifier);
         },
         kSurvey},
        {"sample-row", "(SP, I5, F9.3, E12.4)",
         [] {
             Keys(Qt::Key_Right, Qt::ControlModifier, 2);
             Keys(Qt::Key_Down);
             Keys(Qt::Key_A, Qt::ControlModifier);
             Type("-12.5");
         }},
    };
    int nStatus = 0;
    // A second argument renders only the pictures whose names begin with it
    // (the script renders the items again at a scale factor of 2).
    const QString strOnly = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    for (const SPicture& picture : pictures) {
        if (!QString::fromLatin1(picture.pszName).startsWith(strOnly))
            continue;
        const QString strPath = QDir(strDir).filePath(QString::fromLatin1(picture.pszName) + ".png");
        const bool bOk = Render(picture, strPath);
        std::printf("%s %s\n", bOk ? "wrote" : "FAILED", qPrintable(strPath));
        nStatus |= bOk ? 0 : 1;
    }
    if (strOnly.isEmpty()) {
        nStatus |= RenderDialogs(strDir) ? 0 : 1;
        nStatus |= RenderPicker(strDir) ? 0 : 1;
    }
    return nStatus;
}
