// One keystroke in the window, from the key event to the end of the paint it
// causes, in long statements: the key goes to the in-place editor on the
// first field's text cell, the editor's text is stored and evaluated, and the
// strip lays its cells out again and repaints. Runs off screen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <memory>
#include <string>

#include "descriptor_list.h"
#include "editor_frame.h"
#include "field_edit.h"
#include "field_strip.h"
#include "format_items.h"
#include "run_context.h"
#include "statement_site.h"

namespace {

// Counts the paint events the strip receives, so that a keystroke can wait
// for the paint it caused.
class CPaintCounter : public QObject {
public:
    explicit CPaintCounter(QWidget* pWidget) : QObject(pWidget) { pWidget->installEventFilter(this); }
    int Count() const { return m_nPaints; }

protected:
    bool eventFilter(QObject* pObject, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::Paint)
            ++m_nPaints;
        return QObject::eventFilter(pObject, pEvent);
    }

private:
    int m_nPaints = 0;
};

// "(FIRST," then groups such as "2(I5,2X)," until the list holds about n
// descriptors: each group is four descriptors, and its ")" depends on what
// precedes it.
std::string GroupedList(const char* pszFirst, const char* pszGroup, long long n)
{
    std::string s = std::string("(") + pszFirst;
    for (long long i = 0; i < n / 4; ++i)
        s += std::string(", ") + pszGroup;
    return s + ")\n";
}

// What a benchmark types into: the first field, the group that fills the
// list, and whether the samples are the compiler's.
struct SStripCase {
    const char* pszFirst;
    const char* pszGroup;
    bool bExact;
    char chOn;
    char chOff;
    bool bValues = false;  // every field that prints a number gets a value of its own
    int nItems = 0;        // a WRITE of that many items uses the FORMAT, matched again at each key
};

// A free-form program whose WRITE gives the FORMAT labelled 100 (the list
// as given) nItems array elements, ten to a line.
std::string ProgramWithItems(const std::string& strList, int nItems)
{
    std::string s = "program p\n  integer n(" + std::to_string(nItems) + ")\n  write (6, 100) &\n";
    for (int i = 1; i <= nItems; ++i)
        s += (i % 10 == 1 ? "    " : "") + std::string("n(") + std::to_string(i) + ")" +
             (i == nItems ? "\n" : (i % 10 == 0 ? ", &\n" : ", "));
    return s + "100 format " + strList + "end program p\n";
}

// The window over a statement, shown and active, with the editor on the
// first field's text cell.
struct SWindow {
    CRunContext run;
    CDescriptorList list;
    CStatementSite site;
    std::unique_ptr<CEditorFrame> pFrame;
    CFieldStrip* pStrip = nullptr;
    CPaintCounter* pPaints = nullptr;
    QTemporaryDir folder;
    SFormatItems uses;

    bool Open(const std::string& strList, bool bExact, int nItems = 0)
    {
        list.SetExact(bExact);
        if (!list.Split(strList))
            return false;
        if (nItems > 0 && !UseWithItems(strList, nItems))
            return false;
        site.m_strFileName = "report.for";
        site.m_strHead = "  100 FORMAT";
        site.m_bFixedForm = 1;
        site.m_chDelimiter = 'f';
        pFrame = std::make_unique<CEditorFrame>(list, site, run);
        pFrame->SetUses(std::move(uses));
        pFrame->CreateControls();
        pFrame->SetCurrentControl(0);
        pFrame->show();
        if (!QTest::qWaitForWindowActive(pFrame.get()))
            return false;
        pStrip = pFrame->Strip();
        pPaints = new CPaintCounter(pStrip);
        QApplication::processEvents();  // the first paints
        return QApplication::focusWidget() == pStrip->Editor() && pStrip->CurrentId() == TextCellId(0);
    }

    // The WRITE of nItems items that uses the list, read from its program.
    bool UseWithItems(const std::string& strList, int nItems)
    {
        const std::string strFile = folder.filePath(QStringLiteral("items.f90")).toStdString();
        std::ofstream(strFile) << ProgramWithItems(strList, nItems);
        uses = FormatItemsInFile(strFile, SOURCE_FORM_BY_SUFFIX, std::string(), 3 + (nItems + 9) / 10 + 1, 1);
        return uses.uses.size() == 1 && uses.uses[0].report.items.size() == static_cast<std::size_t>(nItems);
    }

    // One key pressed and released in the editor, a character as typed
    // (with its text, so 'P' is a capital) or '\b' for Backspace: the text is
    // stored and evaluated before this returns.
    void Press(char chKey)
    {
        if (chKey == '\b')
            QTest::keyClick(pStrip->Editor(), Qt::Key_Backspace);
        else
            QTest::keyClick(pStrip->Editor(), chKey);
    }

    // The events run until the strip has been painted and nothing more is
    // pending: the paint lays the cells out, and what the layout changes
    // (the scroll bar's page step, cells outside a partial paint) is painted
    // in a further round. Returns the number of paints.
    int Paint()
    {
        const int nBefore = pPaints->Count();
        for (int nRound = 0; nRound < 100; ++nRound) {
            const int nPaints = pPaints->Count();
            QApplication::processEvents();
            if (pPaints->Count() == nPaints && nPaints != nBefore)
                break;
        }
        return pPaints->Count() - nBefore;
    }

    // A keystroke and the paints it causes.
    int Key(char chKey)
    {
        Press(chKey);
        return Paint();
    }

    // Marks the revision of every field, so that DueFields counts the
    // fields a keystroke changes.
    void MarkShown()
    {
        revisions.clear();
        for (int i = 0; i < list.size(); ++i)
            revisions.push_back(list.Revision(i));
    }

    int DueFields() const
    {
        int nDue = 0;
        for (int i = 0; i < list.size() && i < static_cast<int>(revisions.size()); ++i)
            nDue += list.Revision(i) != revisions[static_cast<std::size_t>(i)];
        return nDue;
    }

    std::vector<unsigned long long> revisions;

    // Where the second field's text cell starts: it moves when the first
    // field's width changes, that is when the strip was laid out again.
    int SecondLeft() const { return pStrip->TextCell(1)->Rect().left(); }
};

// Types chOn then chOff into the first field, one key per iteration: the
// first field's text alternates between two widths. Every iteration checks
// that a paint came and that the cells were laid out again.
void TypeIntoFirstField(benchmark::State& state, SStripCase c)
{
    const char* pszFirst = c.pszFirst;
    const char chOn = c.chOn, chOff = c.chOff;
    SWindow window;
    if (!window.Open(GroupedList(pszFirst, c.pszGroup, state.range(0)), c.bExact, c.nItems)) {
        state.SkipWithError("the window did not open with the editor on the first field");
        return;
    }
    CDescriptorList& list = window.list;
    const int nSize = list.size();
    for (int i = 0; c.bValues && i < nSize; ++i) {
        const int nKind = list.At(i).Kind();
        if (nKind == KIND_FWD || nKind == KIND_EWD)
            list.SetValue(i, (std::to_string(i * 37 % 100000) + "." + std::to_string(i)).c_str());
    }
    window.pStrip->Rebuild(0);
    QApplication::processEvents();

    // Once untimed: the key changes the field's text and leaves fields due,
    // and the paint lays the strip out and reloads every one of them.
    const int nLeft = window.SecondLeft();
    window.MarkShown();
    window.Press(chOn);
    const int nDue = window.DueFields();
    window.Paint();
    std::string strFirst;
    list.GetText(0, strFirst);
    if (nDue <= 1 || window.SecondLeft() == nLeft || strFirst == pszFirst || !window.pStrip->ShowsEveryField()) {
        state.SkipWithError("the keystroke did not reach the list, or the paint did not lay the strip out");
        return;
    }
    window.Key(chOff);
    list.GetText(0, strFirst);
    if (window.SecondLeft() != nLeft || strFirst != pszFirst) {
        state.SkipWithError("the second keystroke did not restore the first field");
        return;
    }

    bool bOn = true;
    long long nPaints = 0;
    long long nKeys = 0;
    for (auto _ : state) {
        const int nLeftBefore = window.SecondLeft();
        const int n = window.Key(bOn ? chOn : chOff);
        if (n == 0 || window.SecondLeft() == nLeftBefore) {
            state.SkipWithError("a keystroke was not laid out and painted");
            break;
        }
        nPaints += n;
        ++nKeys;
        bOn = !bOn;
    }
    state.SetComplexityN(nSize);
    state.counters["descriptors"] = nSize;
    state.counters["due_per_key"] = nDue;
    state.counters["paints_per_key"] = nKeys > 0 ? static_cast<double>(nPaints) / static_cast<double>(nKeys) : 0.0;
}

void Sizes(benchmark::internal::Benchmark* pBenchmark)
{
    pBenchmark->Arg(500)->Arg(2000)->Arg(8000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond)->UseRealTime();
}

// I5 -> I55 -> I5: no mode changes; the later ")" fields are due.
BENCHMARK_CAPTURE(TypeIntoFirstField, KeyInFirstField, SStripCase{"I5", "2(I5,2X)", false, '5', '\b'})->Apply(Sizes);
// The same with a WRITE of 500 items in view: each key matches them again.
BENCHMARK_CAPTURE(TypeIntoFirstField, KeyInFirstFieldItems, SStripCase{"I5", "2(I5,2X)", false, '5', '\b', false, 500})
    ->Apply(Sizes);
// SP -> S -> SP: the first field is a sign mode and every later field is due.
BENCHMARK_CAPTURE(TypeIntoFirstField, KeyInFirstModeField, SStripCase{"SP", "2(I5,2X)", false, '\b', 'P'})
    ->Apply(Sizes);
// The same over real numbers, with the simplified samples and with the
// compiler's: every F and E sample is laid out again on each key.
BENCHMARK_CAPTURE(TypeIntoFirstField, KeyInFirstModeFieldReals, SStripCase{"SP", "2(F11.3,E13.5)", false, '\b', 'P'})
    ->Apply(Sizes);
BENCHMARK_CAPTURE(TypeIntoFirstField, KeyInFirstModeFieldRealsExact,
                  SStripCase{"SP", "2(F11.3,E13.5)", true, '\b', 'P'})
    ->Apply(Sizes);
// And with a value of its own in every F and E field.
BENCHMARK_CAPTURE(TypeIntoFirstField, KeyInFirstModeFieldValues,
                  SStripCase{"SP", "2(F11.3,E13.5)", false, '\b', 'P', true})
    ->Apply(Sizes);
BENCHMARK_CAPTURE(TypeIntoFirstField, KeyInFirstModeFieldValuesExact,
                  SStripCase{"SP", "2(F11.3,E13.5)", true, '\b', 'P', true})
    ->Apply(Sizes);

}  // namespace

// The benchmarks need one QApplication made before any of them, off screen
// unless a platform was chosen.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
