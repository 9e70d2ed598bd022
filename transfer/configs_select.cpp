#include "transfer/configs_select.h"

#include "config/product.h"
#include "config/shared_state.h"
#include "hostapi/host.h"
#include "platform/prompts.h"
#include "platform/runtime_error.h"
#include "platform/settings_store.h"
#include "transfer/copy_target.h"
#include "transfer/scratchpad.h"
#include "widgets/designed_controls.h"
#include "widgets/twips.h"

#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include <optional>

namespace tavik {

namespace {

// The document type the host opens a file as, from the text after the file name's last dot. A
// FreeCAD document is a part or an assembly by what it holds: the host is asked for whatever it
// is. None for any other extension.
std::optional<int> documentTypeOf(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString extension = dot < 0 ? QString() : name.mid(dot + 1).toLower();
    if (extension == QLatin1String("sldprt") || extension == QLatin1String("prt"))
        return sw::swDocPART;
    if (extension == QLatin1String("sldasm") || extension == QLatin1String("asm"))
        return sw::swDocASSEMBLY;
    if (extension == QLatin1String("fcstd"))
        return sw::swDocNONE;
    return std::nullopt;
}

void tell(Prompts &prompts, const QString &text)
{
    prompts.message(text, QString(), MessageIcon::None, MessageButtons::Ok);
}

} // namespace

// Titles and file names repeat across folders, and activating another document of the same name
// would let Done write into it; the full path does not.
QString ConfigsSelect::activationName(sw::ModelDoc2 &doc)
{
    const QString path = doc.GetPathName();
    return path.isEmpty() ? doc.GetTitle() : path;
}

ConfigsSelect::ConfigsSelect(CopyTarget &editor)
    : QDialog(&editor.parentWindow())
    , m_editor(editor)
{
    setObjectName(QStringLiteral("configsSelect"));
    setWindowTitle(product::title());
    setFixedSize(twipsToPixels(6735), twipsToPixels(6465));
    setFont(editor.parentWindow().font());

    m_lbl = new QLabel(QStringLiteral("Select Configuration to copy Custom Propery Values from..."), this);
    m_lbl->setObjectName(QStringLiteral("lbl"));
    m_lbl->setGeometry(twipsRect(120, 120, 4455, 255));

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setGeometry(twipsRect(120, 480, 2655, 5130));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);

    m_cpList = new QListWidget(this);
    m_cpList->setObjectName(QStringLiteral("CPlist"));
    m_cpList->setGeometry(twipsRect(3000, 480, 3615, 5130));

    m_cancel = designedButton(this, "cancel", QStringLiteral("Cancel"), QStringLiteral("Exit without any changes"),
        twipsRect(1800, 5880, 1095, 420));
    m_copyScratch = designedButton(this, "copyScratch", QStringLiteral("Copy to Scratchpad"),
        QStringLiteral("Copy Custom Property Values to Scratchpad and Exit"), twipsRect(3120, 5880, 1695, 420));
    m_done = designedButton(this, "done", QStringLiteral("Copy to Document"),
        QStringLiteral("Copy Custom Property Values to SW Document and Exit"), twipsRect(5040, 5880, 1575, 420));

    connect(m_list, &QListWidget::currentRowChanged, this, [this](int) { listClick(); });
    connect(m_done, &QPushButton::clicked, this, [this] { doneClick(); });
    connect(m_copyScratch, &QPushButton::clicked, this, [this] { copyScratchClick(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { cancelClick(); });
}

ConfigsSelect::~ConfigsSelect() = default;

bool ConfigsSelect::formLoad()
{
    SharedState &state = m_editor.state();
    if (!state.swApp)
        return true;
    try {
        m_editorDoc = state.swApp->ActiveDoc();
        state.swModel = m_editorDoc;
        if (!m_editorDoc)
            throw RuntimeError(err::ObjectNotSet, errorDescription(err::ObjectNotSet));
        m_editorDocName = activationName(*m_editorDoc);

        const std::optional<int> type = documentTypeOf(m_filePath);
        if (!type) {
            tell(m_editor.prompts(), QStringLiteral("Unknown file extension"));
            return false;
        }

        int warnings = 0;
        const auto opened = state.swApp->OpenDoc6(m_filePath, *type, 0, QString(), m_openError, warnings);
        if (!opened)
            return true;

        m_other = state.swApp->ActivateDoc2(m_filePath, true, m_activateError);
        if (!m_other)
            throw RuntimeError(err::ObjectNotSet, errorDescription(err::ObjectNotSet));
        m_filePath = m_other->GetTitle();

        const QSignalBlocker quiet(m_list);
        m_list->addItem(QLatin1Char('<') + m_filePath + QLatin1Char('>'));
        m_list->addItems(m_other->GetConfigurationNames());
        m_list->setCurrentRow(0);
        m_selectedConfig.clear();
        m_propertyNames = m_other->GetCustomInfoNames2(m_selectedConfig);
        fillCPlist();
        setWindowTitle(QStringLiteral("Copy from: ") + m_list->item(0)->text());
        m_lbl->setText(QStringLiteral("Select Configuration to copy CP Values from..."));
    } catch (const std::exception &) {
        tell(m_editor.prompts(), QStringLiteral("Some error..."));
    }
    return true;
}

void ConfigsSelect::listClick()
{
    const int row = m_list->currentRow();
    if (row < 0 || !m_other)
        return;
    try {
        m_selectedConfig = row == 0 ? QString() : m_list->item(row)->text();
        m_propertyNames = m_other->GetCustomInfoNames2(m_selectedConfig);
        fillCPlist();
    } catch (const std::exception &e) {
        // What the list shows no longer belongs to the entry selected: better none than wrong.
        m_propertyNames.clear();
        m_cpList->clear();
        m_editor.state().currentProc = QStringLiteral("configsSelect list");
        m_editor.reportError(errorFromException(e));
    }
}

void ConfigsSelect::fillCPlist()
{
    m_cpList->clear();
    for (const QString &name : m_propertyNames)
        m_cpList->addItem(name + QStringLiteral(": ") + m_other->CustomInfo2(m_selectedConfig, name));
}

void ConfigsSelect::doneClick()
{
    unload(Accepted);
    if (reactivateEditorDocument())
        m_editor.loadFromDoc(m_other.get(), m_selectedConfig);
    // The other document stays open in the host; only our hold on it goes.
    m_other.reset();
}

void ConfigsSelect::copyScratchClick()
{
    try {
        if (m_other && !m_propertyNames.isEmpty()) {
            SettingsStore store;
            Scratchpad scratchpad(store);
            for (const QString &name : m_propertyNames)
                scratchpad.save(name, m_other->CustomInfo2(m_selectedConfig, name));
        }
    } catch (const std::exception &e) {
        m_editor.state().currentProc = QStringLiteral("Copy to Scratchpad");
        m_editor.reportError(errorFromException(e));
    }
    reactivateEditorDocument();
    unload(Accepted);
    m_other.reset();
}

void ConfigsSelect::cancelClick()
{
    m_other.reset();
    unload(Rejected);
    reactivateEditorDocument();
}

void ConfigsSelect::reject()
{
    if (!m_finished)
        cancelClick();
}

bool ConfigsSelect::reactivateEditorDocument()
{
    SharedState &state = m_editor.state();
    bool back = false;
    try {
        if (state.swApp) {
            state.swModel = state.swApp->ActivateDoc2(m_editorDocName, true, m_activateError);
            // A document other than the editor's would receive what Done writes next.
            back = m_activateError != sw::swActivateDocError && state.swModel && state.swModel == m_editorDoc;
        }
    } catch (const std::exception &) {
        back = false;
    }
    if (!back)
        tell(m_editor.prompts(), QStringLiteral("Problem reactivating original SW document"));
    return back;
}

void ConfigsSelect::unload(int result)
{
    m_finished = true;
    QDialog::done(result);
}

} // namespace tavik
