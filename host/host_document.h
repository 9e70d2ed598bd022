#pragma once
// A part or assembly document of the bundled host, kept in memory and saved to its JSON file.
// Implements the host's document interface; the members after it are the host's own side.

#include "host/document_data.h"
#include "host/document_file.h"
#include "hostapi/host.h"

#include <memory>

namespace tavik {

class HostCalls;
class HostApplication;

class HostDocument : public sw::ModelDoc2, public std::enable_shared_from_this<HostDocument> {
public:
    // path "" for a document that was never saved.
    HostDocument(
        std::shared_ptr<HostCalls> calls, DocumentData data, QString path, std::weak_ptr<HostApplication> app = {});

    QString GetTitle() override;
    QString GetName() override;
    QString GetPathName() override;
    int GetType() override;

    int GetConfigurationCount() override;
    QStringList GetConfigurationNames() override;
    std::shared_ptr<sw::Configuration> GetActiveConfiguration() override;

    QString CustomInfo2(const QString &configuration, const QString &name) override;
    bool AddCustomInfo3(const QString &configuration, const QString &name, int type, const QString &value) override;
    bool DeleteCustomInfo2(const QString &configuration, const QString &name) override;
    int GetCustomInfoCount2(const QString &configuration) override;
    QStringList GetCustomInfoNames2(const QString &configuration) override;

    std::shared_ptr<sw::ModelDocExtension> Extension() override;

    std::shared_ptr<sw::UserUnit> GetUserUnit(int unitType) override;
    double GetUserPreferenceDoubleValue(int preference) override;
    bool SetUserPreferenceDoubleValue(int preference, double value) override;
    bool SetUserPreferenceIntegerValue(int preference, int value) override;
    int LengthUnit() override;
    void SetLengthUnit(int code) override;

    QString SummaryInfo(int field) override;
    void SetSummaryInfo(int field, const QString &text) override;

    // Returns 0 when the document was written, 1 when it could not be (the document then stays
    // where it was). A relative path is taken from the document's folder, or from the current
    // folder for a document that was never saved.
    long SaveAs2(const QString &path, int version, bool saveAsCopy, bool silent) override;
    bool SetTitle2(const QString &title) override;

    std::shared_ptr<sw::Feature> FeatureByName(const QString &name) override;

    // --- The host's own side: not interface calls, not recorded. ---

    QString path() const { return m_path; }
    QString title() const;
    int type() const { return m_data.type; }
    const DocumentData &data() const { return m_data; }
    // Set when properties or settings change; cleared when the document is saved.
    bool isChanged() const { return m_changed; }
    bool isClosed() const { return m_closed; }
    // Writes the document to its file atomically. Throws DocumentFileError, also for a
    // document that was never saved, and DocumentChangedError when another program has written
    // the file since this host read or wrote it, unless told to overwrite it always.
    void save(DocumentFile::Overwrite overwrite = DocumentFile::Overwrite::IfUnchanged);
    // After this every interface call on the document or its objects throws RuntimeError 91.
    void close() { m_closed = true; }
    // The length unit as the application's user preference sets it.
    bool setLengthUnit(int code);

    // --- For the document's own host objects (configuration, attribute, ...). ---

    // Records the call and throws an injected fault, or RuntimeError 91 when closed.
    void enter(const QString &object, const QString &member, const QStringList &args = {});
    const std::shared_ptr<HostCalls> &calls() const { return m_calls; }
    AttributeInstance *attribute(const QString &name) { return m_data.attribute(name); }
    bool addAttribute(const AttributeInstance &instance);
    void markChanged() { m_changed = true; }

private:
    void call(const char *member, const QStringList &args = {});
    bool samePathAsOtherDocument(const QString &absolutePath) const;

    std::shared_ptr<HostCalls> m_calls;
    DocumentData m_data;
    QString m_path;
    std::weak_ptr<HostApplication> m_app;
    bool m_changed = false;
    bool m_closed = false;
};

} // namespace tavik
