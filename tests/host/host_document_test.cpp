// The document interface of the bundled host: properties, settings, SaveAs2, attributes.

#include "host_fixture.h"

#include "host/document_file_error.h"
#include "platform/runtime_error.h"

#include <QFileInfo>

using namespace tavik;

namespace {

const QJsonObject twoConfigurations{{"configurations", QJsonArray{"Default", "Long"}},
    {"customProperties", QJsonObject{{"", QJsonArray{QJsonArray{"B", "1"}, QJsonArray{"A", "2"}}}}}};

int errorNumber(const std::function<void()> &call)
{
    try {
        call();
    } catch (const RuntimeError &e) {
        return e.number;
    }
    return 0;
}

} // namespace

using HostDocumentTest = HostFixture;

TEST_F(HostDocumentTest, CustomPropertiesKeepTheHostsOrderAndRules)
{
    auto doc = open("order.sldprt", twoConfigurations);
    EXPECT_TRUE(doc->AddCustomInfo3("", "C", 30, "3"));
    EXPECT_TRUE(doc->AddCustomInfo3("", "0", 30, "4"));
    EXPECT_EQ(doc->GetCustomInfoNames2(""), QStringList({"B", "A", "C", "0"}));
    EXPECT_TRUE(doc->isChanged());

    // An existing property keeps its value; an unknown configuration takes nothing.
    EXPECT_FALSE(doc->AddCustomInfo3("", "A", 30, "changed"));
    EXPECT_EQ(doc->CustomInfo2("", "A"), "2");
    EXPECT_FALSE(doc->AddCustomInfo3("Short", "A", 30, "x") || doc->AddCustomInfo3("", "", 30, "x"));

    // Levels are separate.
    EXPECT_TRUE(doc->AddCustomInfo3("Long", "A", 30, "long"));
    EXPECT_TRUE(doc->CustomInfo2("Long", "A") == "long" && doc->CustomInfo2("Default", "A").isEmpty());

    // Deleting the absent is no error; a deleted name added again goes to the end.
    EXPECT_FALSE(doc->DeleteCustomInfo2("", "Absent") || doc->DeleteCustomInfo2("Short", "A"));
    EXPECT_TRUE(doc->DeleteCustomInfo2("", "B"));
    EXPECT_TRUE(doc->AddCustomInfo3("", "B", 30, "again"));
    EXPECT_EQ(doc->GetCustomInfoNames2(""), QStringList({"A", "C", "0", "B"}));

    doc->save();
    EXPECT_FALSE(doc->isChanged());
    auto reopened = std::make_shared<HostApplication>()->openDocument(doc->path());
    EXPECT_EQ(reopened->GetCustomInfoNames2(""), QStringList({"A", "C", "0", "B"}));
    EXPECT_EQ(reopened->CustomInfo2("Long", "A"), "long");
}

TEST_F(HostDocumentTest, SettingsUnitsAndSummary)
{
    auto doc = open("settings.sldprt", QJsonObject());
    EXPECT_TRUE(doc->SetUserPreferenceIntegerValue(47, 1));
    EXPECT_EQ(doc->GetUserUnit(0)->GetUnitsString(true), "cm");
    EXPECT_FALSE(doc->SetUserPreferenceIntegerValue(47, 11));
    EXPECT_FALSE(doc->SetUserPreferenceIntegerValue(12, 0));
    EXPECT_EQ(errorNumber([&] { doc->SetLengthUnit(-1); }), err::InvalidCall);
    EXPECT_EQ(doc->LengthUnit(), 1);

    EXPECT_FALSE(doc->SetUserPreferenceDoubleValue(7, std::nan("")));
    EXPECT_FALSE(doc->SetUserPreferenceDoubleValue(8, 1.0));
    EXPECT_EQ(errorNumber([&] { doc->GetUserPreferenceDoubleValue(8); }), err::InvalidCall);

    doc->SetSummaryInfo(5, "Saver");
    EXPECT_EQ(errorNumber([&] { doc->SummaryInfo(6); }), err::InvalidCall);
    EXPECT_EQ(errorNumber([&] { doc->SetSummaryInfo(-1, "x"); }), err::InvalidCall);

    doc->save();
    const QJsonObject saved = readJson(doc->path());
    EXPECT_EQ(saved["lengthUnit"], 1);
    EXPECT_EQ(saved["unitsString"], "cm");
    EXPECT_EQ(saved["summaryInfo"].toObject()["savedBy"], "Saver");
}

TEST_F(HostDocumentTest, SaveAs2MovesTheDocumentAndItsTitle)
{
    const QString oldPath
        = write("Old.sldprt", QJsonObject{{"customProperties", QJsonObject{{"", QJsonArray{QJsonArray{"P", "1"}}}}}});
    auto doc = app->openDocument(oldPath);
    EXPECT_TRUE(doc->SetTitle2("Shown.sldprt"));
    EXPECT_EQ(doc->GetTitle(), "Shown.sldprt");
    doc->AddCustomInfo3("", "Q", 30, "2");

    // Relative to the document's folder, not the process's.
    EXPECT_EQ(doc->SaveAs2("New.sldprt", 0, false, false), 0);
    const QString newPath = QFileInfo(dir.filePath("New.sldprt")).absoluteFilePath();
    EXPECT_EQ(doc->GetPathName(), newPath);
    EXPECT_EQ(doc->GetTitle(), "New.sldprt");
    EXPECT_FALSE(doc->isChanged());
    EXPECT_EQ(readJson(oldPath)["customProperties"].toObject()[""].toArray().size(), 1); // old file as it was
    EXPECT_EQ(std::make_shared<HostApplication>()->openDocument(newPath)->CustomInfo2("", "Q"), "2");

    // A copy leaves the document where it is; a folder that does not exist fails.
    EXPECT_EQ(doc->SaveAs2(dir.filePath("Copy.sldprt"), 0, true, false), 0);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("Copy.sldprt")));
    EXPECT_EQ(doc->GetPathName(), newPath);
    EXPECT_NE(doc->SaveAs2(dir.filePath("nowhere/X.sldprt"), 0, false, false), 0);
    EXPECT_EQ(doc->GetPathName(), newPath);

    // Never over another program's save of its own file.
    const QByteArray theirs = readFile(newPath).replace("\"2\"", "\"3\"");
    writeFile(newPath, theirs);
    EXPECT_NE(doc->SaveAs2(newPath, 0, false, false), 0);
    EXPECT_EQ(readFile(newPath), theirs);

    // Never over the file of another open document.
    app->openDocument(write("Busy.sldprt", QJsonObject()));
    EXPECT_NE(doc->SaveAs2(dir.filePath("Busy.sldprt"), 0, false, false), 0);

    // A document never saved goes to the current folder.
    auto fresh = app->newDocument(sw::swDocASSEMBLY);
    EXPECT_THROW(fresh->save(), DocumentFileError);
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const long result = fresh->SaveAs2("Fresh.sldasm", 0, false, false);
    QDir::setCurrent(cwd);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(fresh->GetPathName(), QFileInfo(dir.filePath("Fresh.sldasm")).absoluteFilePath());
}

TEST_F(HostDocumentTest, AttributesSurviveSaveAndReopen)
{
    auto doc = open("attr.sldprt", QJsonObject());
    auto def = app->DefineAttribute("pub_Tavik");
    EXPECT_TRUE(def->AddParameter("USE_CONFIGS", sw::swParamTypeDouble, 0.0, 0));
    EXPECT_TRUE(def->AddParameter("USE_FRAME", sw::swParamTypeDouble, 3.0, 0));
    EXPECT_FALSE(def->AddParameter("USE_FRAME", sw::swParamTypeDouble, 0.0, 0));
    EXPECT_FALSE(def->AddParameter("", sw::swParamTypeDouble, 0.0, 0) || def->AddParameter("T", 1, 0.0, 0)
        || def->AddParameter("N", sw::swParamTypeDouble, NAN, 0));
    EXPECT_EQ(def->CreateInstance5(doc, nullptr, nullptr, "TavikAttribute", 1, 2), nullptr); // not registered
    EXPECT_TRUE(def->Register());
    EXPECT_FALSE(def->AddParameter("LATE", sw::swParamTypeDouble, 0.0, 0));

    auto attribute = def->CreateInstance5(doc, nullptr, nullptr, "TavikAttribute", 1, 2);
    ASSERT_NE(attribute, nullptr);
    EXPECT_EQ(def->CreateInstance5(doc, nullptr, nullptr, "TavikAttribute", 1, 2), nullptr);
    EXPECT_DOUBLE_EQ(attribute->GetParameter("USE_FRAME")->GetDoubleValue(), 3.0);
    EXPECT_TRUE(attribute->GetParameter("USE_CONFIGS")->SetDoubleValue(1.0));
    EXPECT_FALSE(attribute->GetParameter("USE_CONFIGS")->SetDoubleValue(INFINITY));
    attribute->AfterPurge(0);
    EXPECT_TRUE(doc->isChanged());
    doc->save();

    auto other = std::make_shared<HostApplication>();
    auto reopened = other->openDocument(doc->path());
    ASSERT_NE(reopened->FeatureByName("TavikAttribute"), nullptr);
    auto found = reopened->FeatureByName("TavikAttribute")->GetSpecificFeature();
    EXPECT_TRUE(found->GetParameter("USE_CONFIGS")->GetDoubleValue() == 1.0
        && found->GetParameter("USE_FRAME")->GetDoubleValue() == 3.0);
    EXPECT_EQ(reopened->data().attributes[0].definition, "pub_Tavik");

    // The add-in connecting again registers the same definition; a different one is refused.
    auto same = other->DefineAttribute("pub_Tavik");
    same->AddParameter("USE_CONFIGS", 2, 0.0, 0);
    same->AddParameter("USE_FRAME", 2, 3.0, 0);
    EXPECT_TRUE(same->Register());
    auto again = other->DefineAttribute("pub_Tavik");
    again->AddParameter("USE_CONFIGS", 2, 0.0, 0);
    EXPECT_FALSE(again->Register());
}

TEST_F(HostDocumentTest, ClosedDocumentCallsFailWithObjectNotSet)
{
    auto doc = open("closed.sldprt",
        QJsonObject{{"attributes",
            QJsonArray{QJsonObject{{"name", "TavikAttribute"}, {"parameters", QJsonObject{{"USE_FRAME", 1.0}}}}}}});
    auto parameter = doc->FeatureByName("TavikAttribute")->GetSpecificFeature()->GetParameter("USE_FRAME");
    auto extension = doc->Extension();
    auto unit = doc->GetUserUnit(0);
    app->closeDocument(doc);
    EXPECT_TRUE(doc->isClosed());
    EXPECT_EQ(app->activeDocument(), nullptr);
    EXPECT_EQ(errorNumber([&] { doc->GetTitle(); }), err::ObjectNotSet);
    EXPECT_EQ(errorNumber([&] { doc->AddCustomInfo3("", "A", 30, "1"); }), err::ObjectNotSet);
    EXPECT_EQ(errorNumber([&] { parameter->SetDoubleValue(2.0); }), err::ObjectNotSet);
    int status = 0;
    EXPECT_EQ(errorNumber([&] { extension->GetMassProperties(0, status); }), err::ObjectNotSet);
    EXPECT_EQ(errorNumber([&] { unit->SpecificUnitType(); }), err::ObjectNotSet);
    EXPECT_THROW(doc->save(), DocumentFileError);
}
