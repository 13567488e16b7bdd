// Shared by the source tests: a source file in a temporary folder, located.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "model_helpers.h"
#include "recording_presenter.h"
#include "statement_locator.h"
#include "statement_writer.h"
#include "temp_dir.h"

class SourceTest : public ::testing::Test {
protected:
    // Writes the file and locates the statement at line, column.
    int Locate(const std::string& strName, const std::string& strContents, long long line, long long column = 80,
               int interactive = 1)
    {
        m_strFile = m_dir.Write(strName, strContents);
        return LocateStatement(m_list, line, column, m_strFile, interactive);
    }

    std::string Message(std::size_t i = 0) const
    {
        return i < m_presenter.m_messages.size() ? m_presenter.m_messages[i].text : std::string("(no message)");
    }

    // The statement's lines as the writer will build them, joined with "\n".
    std::string Built() const
    {
        std::string s;
        for (const std::string& line : BuildStatementLines(m_list))
            s += line + "\n";
        return s;
    }

    std::string Contents() const { return ReadWholeFile(m_strFile); }

    CRecordingPresenter m_presenter{IDYES};
    CTempDir m_dir;
    CDescriptorList m_list;
    std::string m_strFile;
};

// Whether gfortran is there to tell whether a file still compiles.
inline bool HaveCompiler()
{
    static const bool bHave = std::system("gfortran --version > /dev/null 2>&1") == 0;
    return bHave;
}

// strOptions: more options for the compiler (a source form the suffix does
// not give, -ffree-form).
inline bool Compiles(const std::string& strFile, const std::filesystem::path& dir, const std::string& strOptions = "")
{
    const std::string strCommand =
        "cd '" + dir.string() + "' && gfortran -fsyntax-only " + strOptions + " '" + strFile + "' > /dev/null 2>&1";
    return std::system(strCommand.c_str()) == 0;
}
