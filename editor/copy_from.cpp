// Copy From... on the editor's side: the Copy button's file dialog, which hands the chosen file
// to the configsSelect dialog, and loadFromDoc, which that dialog runs to put another document's
// values into the empty fields of the frame on screen; fillEmptyField, the fill of one field that
// the scratchpad's Load shares.

#include "editor/copy_from.h"

#include "editor/m.h"

#include "config/model.h"
#include "config/product.h"
#include "editor/field_value.h"
#include "editor/list_row.h"
#include "editor/multi_column_combo_box.h"
#include "editor/suppressed_events.h"
#include "hostapi/host.h"
#include "platform/prompts.h"
#include "platform/runtime_error.h"
#include "transfer/configs_select.h"

#include <QDir>
#include <QListWidget>
#include <QPushButton>

namespace tavik {

namespace {

// The file dialog's limit on the chosen path; a longer path fails as it would overflow the
// dialog's buffer.
constexpr int MaxFileLength = 2048;
constexpr int FileNameBufferTooSmall = 20476;

FileOpenRequest copyFileRequest()
{
    FileOpenRequest request;
    request.title = product::title() + QStringLiteral(": Select SolidWorks Document...");
    request.initialFolder = QDir::currentPath();
    request.fileMustExist = true;
    request.pathMustExist = true;
    request.maxFileLength = MaxFileLength;
    request.filterEntries = {
        {QStringLiteral("SolidWorks Files (*.sldprt, *.sldasm)"), QStringLiteral("*.sldprt;*.sldasm")},
        {QStringLiteral("Part (*.prt, *.sldprt)"), QStringLiteral("*.prt;*.sldprt")},
        {QStringLiteral("Assembly (*.asm, *.sldasm)"), QStringLiteral("*.asm;*.sldasm")},
        {QStringLiteral("FreeCAD Documents (*.FCStd)"), QStringLiteral("*.FCStd;*.fcstd")},
        {QStringLiteral("All files (*.*)"), QStringLiteral("*.*")},
    };
    for (const FileFilter &entry : request.filterEntries)
        request.filters << entry.label;
    return request;
}

} // namespace

CopyFrom::CopyFrom(M &editor)
    : m_editor(editor)
    , m_state(editor.state())
    , m_form(editor.formState())
    , m_prompts(editor.prompts())
{
}

void CopyFrom::connectControls()
{
    connect(m_editor.Copy(), &QPushButton::clicked, this, [this] { copyClick(); });
}

void CopyFrom::copyClick()
{
    try {
        const FileOpenRequest request = copyFileRequest();
        const std::optional<QString> path = m_prompts.openFile(request);
        if (!path)
            return;
        if (path->size() > request.maxFileLength)
            throw RuntimeError(FileNameBufferTooSmall,
                QStringLiteral("The FileName buffer is too small to store the selected file name"));
        ConfigsSelect dialog(m_editor);
        dialog.setFilePath(*path);
        const bool loaded = dialog.formLoad();
        // The first Copy From... finds the editor's document active; a later one may not.
        if (!m_editorDocument)
            m_editorDocument = dialog.editorDocument();
        if (loaded)
            dialog.exec();
    } catch (const std::exception &e) {
        m_prompts.message(
            QStringLiteral("Error: ") + QString::number(errorFromException(e).number) + QStringLiteral(" Exiting"),
            QString(), MessageIcon::None, MessageButtons::Ok);
    }
}

void CopyFrom::loadFromDoc(sw::ModelDoc2 *source, const QString &configuration)
{
    m_state.runOk = false;
    const int f = m_editor.frameSelect()->listIndex();
    const int c = m_editor.configsList()->currentRow();
    // Without a document to read, or without a frame and slot to fill, nothing can be copied;
    // saying so keeps the user from taking untouched fields for copied ones.
    if (!source || f < 0 || size_t(f) >= m_state.frames.size() || c < 0) {
        m_prompts.message(QStringLiteral("Unable to copy CP Values"), QString(), MessageIcon::None, MessageButtons::Ok);
        return;
    }
    SuppressedEvents quiet(m_form);
    std::vector<Group> &groups = m_state.frames[size_t(f)].groups;

    const auto fill = [&](const CPItem &item, int g, int i) {
        fillEmptyField(item, f, g, i, c, [&] { return source->CustomInfo2(configuration, item.CPTag); });
    };

    // A failing field is skipped and the copy goes on; the user is told once at the end, so
    // that a field left empty is not taken for a copied one.
    bool skipped = false;
    const auto skipping = [&](auto &&work) {
        try {
            work();
        } catch (const std::exception &) {
            skipped = true;
        }
    };
    // Every field first, list members included: a member the selector does not show now keeps
    // the other document's value for when the user picks it.
    for (size_t g = 0; g < groups.size(); ++g)
        for (size_t i = 0; i < groups[g].items.size(); ++i) {
            const CPItem &item = groups[g].items[i];
            if (slotControl(item.valueControls, c))
                skipping([&] { fill(item, int(g), int(i)); });
        }
    // Then the member each list row shows, now that the list targets have chosen it.
    forEachShownMember(
        m_state, groups, c, true, skipping, [&](int g, const CPItem &member) { fill(member, g, int(member.i_idx)); });
    m_state.runOk = true;
    if (skipped)
        m_prompts.message(
            QStringLiteral("Some CP values could not be copied"), QString(), MessageIcon::None, MessageButtons::Ok);
}

void CopyFrom::fillEmptyField(const CPItem &item, int f, int g, int i, int c, const std::function<QString()> &value)
{
    QWidget *field = requiredSlotControl(item.valueControls, c);
    if (item.type == QLatin1String("list")) {
        MultiColumnComboBox *combo = comboOf(field);
        if (combo->listIndex() >= 0 || !combo->value().isEmpty())
            return;
        combo->setValue(value());
        if (combo->listIndex() < 0)
            combo->setListIndex(0);
        if (item.isListTarget)
            m_editor.dispLinkedItem(f, g, i, c);
        else
            m_editor.buildComposites(f, g, i, c);
    } else if (item.type == QLatin1String("standard")) {
        if (!fieldValue(field).isEmpty())
            return;
        setFieldValue(field, value());
        m_editor.buildComposites(f, g, i, c);
    }
}

} // namespace tavik
