// The report-project component: which copy Open loads (the stored one, the
// disk file, or the user's choice when the disk file is newer), a missing or
// damaged project, the project file's name, selecting and running reports.
#include <gtest/gtest.h>
#include <sys/time.h>

#include <fstream>

#include "RecordingReport.h"
#include "support/TempDir.h"
#include "base/Streams.h"
#include "os/Paths.h"
#include "reporting/project/DZProj.h"
#include "reporting/project/DesignerUtils.h"
#include "reporting/project/RSDuzu.h"
#include "ui/DialogResponder.h"
#include "ui/Dialogs.h"

namespace {

// A project stream holding one report of that name.
std::string projectBytes(const std::string& ReportName) {
    TDuzuProjectManager project(nullptr);
    project.NewReport()->SetName(ReportName);
    TMemoryStream bytes;
    project.SaveToStream(&bytes);
    return std::string(bytes.Memory(), static_cast<std::size_t>(bytes.Size()));
}

void writeFile(const std::string& Path, const std::string& Bytes, TDateTime Date) {
    std::ofstream(Path, std::ios::binary) << Bytes;
    double seconds = (Date - 25569.0) * 86400.0;
    struct timeval times[2] = {{static_cast<time_t>(seconds), 0}, {static_cast<time_t>(seconds), 0}};
    ::utimes(Path.c_str(), times);
}

std::string reportNames(TDuzuProject& Project) {
    std::string names;
    for (TDuzuReport* report : Project.ProjectManager()->ReportList()) names += report->Name() + " ";
    return names;
}

TEST(DuzuProject, OpenChoosesTheStoredCopyOrTheNewerDiskFile) {
    TempDir dir;
    const TDateTime stored = EncodeDate(2024, 1, 2);
    struct Case {
        bool HasStored;
        TDateTime DiskDate;  // 0: no file on disk
        int Answer;          // 0: no question expected
        std::string Loaded;
    } cases[] = {
        {true, 0, 0, "Stored "},
        {true, stored - 1, 0, "Stored "},
        {true, stored, 0, "Stored "},
        {true, stored + 1, mrYes, "Disk "},
        {true, stored + 1, mrNo, "Stored "},
        {false, stored - 1, 0, "Disk "},
    };
    for (const Case& c : cases) {
        std::string path = dir.file("QM.duz");
        os::DeleteFile(path);
        if (c.DiskDate != 0) writeFile(path, projectBytes("Disk"), c.DiskDate);
        TDuzuProject project(nullptr);
        project.SetProjectFile(path);
        if (c.HasStored) project.SetStoredProject(projectBytes("Stored"), stored);
        TDialogScript script;
        if (c.Answer != 0) script.Answer(c.Answer);
        project.Open();
        EXPECT_TRUE(project.IsOpen());
        EXPECT_EQ(reportNames(project), c.Loaded);
        ASSERT_EQ(script.Shown().size(), c.Answer != 0 ? 1u : 0u);
        if (c.Answer != 0)
            EXPECT_EQ(script.Shown()[0].Text,
                      "The report project stored in the executable is older than the disk file\r\"" + path +
                          "\"\rDo you want to use the file on disk?");
        project.Close();
        EXPECT_FALSE(project.IsOpen());
        EXPECT_TRUE(project.ProjectManager()->ReportList().empty());
    }
}

TEST(DuzuProject, TheStoredCopyGoesThroughItsDuzuBlobAndRefusesBrokenOnes) {
    const std::string bytes = projectBytes("Stored");
    ASSERT_GT(bytes.size(), 127u);  // a 16-bit size
    TDuzuProject source(nullptr);
    TMemoryStream nothing;
    source.WriteDuzuBlob(&nothing);
    EXPECT_EQ(nothing.Size(), 0);  // no stored copy, no value
    source.SetStoredProject(bytes, EncodeDate(2024, 1, 2) + 0.5);
    TMemoryStream blob;
    source.WriteDuzuBlob(&blob);
    const std::string written(blob.Memory(), static_cast<std::size_t>(blob.Size()));
    ASSERT_EQ(written.size(), 3 + 11 + bytes.size());
    EXPECT_EQ(written[0], 3);  // int16 size, little-endian
    EXPECT_EQ(static_cast<unsigned char>(written[1]) | static_cast<unsigned char>(written[2]) << 8, bytes.size());
    EXPECT_EQ(written[3], 5);  // extended date
    EXPECT_EQ(written.substr(14), bytes);

    TDuzuProject copy(nullptr);
    TStringStream in(written);
    copy.ReadDuzuBlob(&in);
    EXPECT_DOUBLE_EQ(copy.StoredDate(), EncodeDate(2024, 1, 2) + 0.5);
    copy.Open();
    EXPECT_EQ(reportNames(copy), "Stored ");
    copy.Close();

    // Untrusted bytes: a size past the end, a negative size, a wrong tag,
    // a cut date. None leaves a stored copy.
    std::string tooLong = written.substr(0, written.size() - 1);
    std::string negative = std::string("\x02\xFF") + written.substr(3);
    std::string wrongTag = written;
    wrongTag[3] = 6;
    for (const std::string& broken : {tooLong, negative, wrongTag, written.substr(0, 8), std::string()}) {
        TDuzuProject target(nullptr);
        TStringStream stream(broken);
        EXPECT_THROW(target.ReadDuzuBlob(&stream), EDuzuException) << broken.size();
        EXPECT_FALSE(target.HasStoredProject());
    }
}

TEST(DuzuProject, AProjectThatCannotLoadLeavesItClosedAndEmpty) {
    TempDir dir;
    TDuzuProject missing(nullptr);
    missing.SetProjectFile(dir.file("None"));
    EXPECT_EQ(missing.ProjectFile(), dir.file("None.duz"));
    try {
        missing.Open();
        FAIL() << "no error";
    } catch (const EDuzuException& e) {
        EXPECT_EQ(e.Message(), "The following reporting project does not exist:\r\"" + dir.file("None.duz") + "\"");
    }
    EXPECT_FALSE(missing.IsOpen());

    TDuzuProject damaged(nullptr);
    damaged.SetStoredProject("DUZ?not a project", 0);
    try {
        damaged.Open();
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Invalid Project Format");
    }
    EXPECT_FALSE(damaged.IsOpen());
    EXPECT_TRUE(damaged.ProjectManager()->ReportList().empty());

    TDuzuProject designer(nullptr);
    designer.SetStoredProject(projectBytes("Stored"), 0);
    designer.SetLoadDesigner(true);
    try {
        designer.Open();
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Error loading DUZU.DLL");
    }
    EXPECT_FALSE(designer.IsOpen());
}

TEST(DuzuProject, AWindowsProjectPathNamesTheFileInTheProgramFolder) {
    TDuzuProject project(nullptr);
    project.SetProjectFile("C:\\Project\\VO97\\Program\\QM.duz");
    EXPECT_EQ(project.ExpandedProjectFile(), os::IncludeTrailingPathDelimiter(os::ProgramFolder()) + "QM.duz");
}

TEST(DuzuProject, ReportsAreSelectedByNameAndRunIntoTheEngine) {
    TDuzuProject project(nullptr);
    project.SetStoredProject(projectBytes("Pmt_Report"), 0);
    EXPECT_TRUE(project.SelectReport("PMT_REPORT", false));
    EXPECT_FALSE(project.SelectReport("Other", false));
    {
        // Without an engine a report runs on a runner of its own, which asks first.
        TDialogScript script;
        project.ExecuteReport("Other");  // runs nothing, asks nothing
        EXPECT_TRUE(script.Shown().empty());
        script.Answer(mrCancel);
        project.ExecuteReport("Pmt_Report");
        ASSERT_EQ(script.Shown().size(), 1u);
        EXPECT_EQ(script.Shown()[0].Caption, "Report Setup");
    }

    TestDevice device;
    TRecordingReport engine(&device);
    int pages = 0;
    engine.OnNewPage = [&](TObject*) { ++pages; };
    project.SetEngine(&engine);
    project.SetParam("BegDate", "01/02/2024");
    project.ExecuteReport("Pmt_Report");
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(project.ProjectManager()->GetParamValue("BegDate"), "01/02/2024");
}

}  // namespace
