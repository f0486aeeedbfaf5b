#pragma once
// TDuzuProject: the component through which the program runs the reports of
// a report project. It holds the project file's name and a stored copy of
// the project (the program embeds one), decides at Open which of the two to
// load, and selects and runs a report by name with named parameters.
//
// Open loads the stored copy unless the disk file is newer (then it asks) or
// there is no stored copy; a project that fails to load leaves the component
// closed and the project empty. There is no designer library: asking to load
// one raises "Error loading " + its name.
#include <functional>
#include <memory>
#include <string>

#include "base/DateTime.h"
#include "reporting/RSDefine.h"

class TDuzuProjectManager;
class TDuzuContainerControl;
class TStream;

class TDuzuProject : public TRSComponent {
public:
    explicit TDuzuProject(TComponent* AOwner);
    ~TDuzuProject() override;

    const std::string& DLLFile() const { return dllFile_; }
    void SetDLLFile(const std::string& Value) { dllFile_ = Value; }
    // The runner (TReportSystem) or engine (TBaseReport) the reports run
    // on; without one a report previews on a runner of its own.
    TRSComponent* Engine() const { return engine_; }
    void SetEngine(TRSComponent* Value);
    bool LoadDesigner() const { return loadDesigner_; }
    void SetLoadDesigner(bool Value) { loadDesigner_ = Value; }
    const std::string& ProjectFile() const { return projectFile_; }
    // A name without "." gets ".duz" appended.
    void SetProjectFile(const std::string& Value);
    bool StoreDUZ() const { return storeDUZ_; }
    void SetStoreDUZ(bool Value) { storeDUZ_ = Value; }

    // The stored copy: the project stream's bytes and the date of the file
    // they were taken from.
    void SetStoredProject(const std::string& Bytes, TDateTime Date);
    bool HasStoredProject() const { return stored_ != nullptr; }
    TDateTime StoredDate() const { return storedDate_; }
    // The stored copy as the component's "DuzuBlob" stream property (see
    // DuzuBlob.h); writing without a stored copy writes nothing.
    void WriteDuzuBlob(TStream* Stream) const;
    void ReadDuzuBlob(TStream* Stream);
    // ProjectFile on this machine: a path on a Windows drive names the file
    // of that name in the program's folder.
    std::string ExpandedProjectFile() const;

    TDuzuProjectManager* ProjectManager() const { return manager_.get(); }
    bool IsOpen() const { return opened_; }

    void Open();
    void Close();
    // Makes the first report whose Name (or, with FullName, full name) is
    // ReportName, without regard to case, the current one.
    bool SelectReport(const std::string& ReportName, bool FullName);
    // Runs the named report on Engine; an unknown name runs nothing.
    void ExecuteReport(const std::string& ReportName);
    void SetParam(const std::string& Name, const std::string& Value);

    void Loaded() override;

    TNotifyEvent OnCreate, OnDestroy, OnDesignerSave, OnDesignerSaveAs, OnDesignerShow, OnBeforeOpen, OnAfterOpen,
        OnBeforeClose, OnAfterClose;

protected:
    virtual void DoCreate() { fire(OnCreate); }
    virtual void DoDestroy() { fire(OnDestroy); }
    virtual void DoDesignerShow() { fire(OnDesignerShow); }
    virtual void DoBeforeOpen() { fire(OnBeforeOpen); }
    virtual void DoAfterOpen() { fire(OnAfterOpen); }
    virtual void DoBeforeClose() { fire(OnBeforeClose); }
    virtual void DoAfterClose() { fire(OnAfterClose); }

private:
    void fire(const TNotifyEvent& Event) {
        if (Event) Event(this);
    }
    void loadDesignerLibrary();

    std::string dllFile_;
    TComponentRef<TRSComponent> engine_{this};
    bool loadDesigner_ = false;
    std::string projectFile_;
    bool storeDUZ_ = false;
    std::unique_ptr<TDuzuContainerControl> root_;
    std::unique_ptr<TDuzuProjectManager> manager_;
    std::unique_ptr<std::string> stored_;
    TDateTime storedDate_ = 0;
    bool opened_ = false;
};

// The modification time of a file as a date and time, 0 when it does not exist.
TDateTime DuzuFileDate(const std::string& Path);

// Registers every report-project class once: the model, data, standard,
// drawing and data-aware components.
void DuzuRegisterAllClasses();
