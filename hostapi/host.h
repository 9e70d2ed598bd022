#pragma once
// The host operations that the add-in calls, as abstract classes. The bundled host (host/)
// implements them over document files; tests use the same implementation. A failing call throws
// tavik::RuntimeError. "None" results are empty pointers.

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace sw {

class ModelDoc2;
class AttributeDef;
class Attribute;

// Host codes used by the add-in.
constexpr int swDocNONE = 0; // to OpenDoc6: whatever type the file holds
constexpr int swDocPART = 1;
constexpr int swDocASSEMBLY = 2;
constexpr int swDocDRAWING = 3;
constexpr int swAddinMenu = 4; // the host menu that receives the command
constexpr int swParamTypeDouble = 2;
constexpr int swCustomInfoText = 30;
constexpr int swMaterialPropertyDensity = 7; // user preference (double)
constexpr int swUnitsLinear = 47; // user preference (integer)
constexpr int swLengthUnit = 0; // user unit type
constexpr int swActivateDocError = 1; // error code of ActivateDoc2

// The add-in side of the callback registration: the host calls a named callback on it when the
// user picks a menu item.
class AddinCallbacks {
public:
    virtual ~AddinCallbacks() = default;
    virtual void invokeCallback(const QString &name) = 0;
};

class Parameter {
public:
    virtual ~Parameter() = default;
    virtual double GetDoubleValue() = 0;
    virtual bool SetDoubleValue(double value) = 0;
};

// An attribute instance on a document.
class Attribute {
public:
    virtual ~Attribute() = default;
    virtual std::shared_ptr<Parameter> GetParameter(const QString &name) = 0;
    // The one further call that follows a purge (argument 0); the bundled host leaves the
    // attribute as it is.
    virtual void AfterPurge(int option) = 0;
};

class AttributeDef {
public:
    virtual ~AttributeDef() = default;
    virtual bool AddParameter(const QString &name, int type, double defaultValue, int options) = 0;
    virtual bool Register() = 0;
    virtual std::shared_ptr<Attribute> CreateInstance5(const std::shared_ptr<ModelDoc2> &doc, const void *component,
        const void *ownerObj, const QString &name, int options, int configurationOption)
        = 0;
};

class Feature {
public:
    virtual ~Feature() = default;
    virtual std::shared_ptr<Attribute> GetSpecificFeature() = 0;
};

class Configuration {
public:
    virtual ~Configuration() = default;
    virtual QString Name() = 0;
};

class UserUnit {
public:
    virtual ~UserUnit() = default;
    virtual QString GetUnitsString(bool full) = 0;
    virtual int SpecificUnitType() = 0;
};

class ModelDocExtension {
public:
    virtual ~ModelDocExtension() = default;
    // Mass properties; index 3 volume, 4 area, 5 mass. An empty result is valid.
    virtual std::vector<double> GetMassProperties(int accuracy, int &status) = 0;
};

class ModelDoc2 {
public:
    virtual ~ModelDoc2() = default;

    virtual QString GetTitle() = 0;
    virtual QString GetName() = 0; // the document's name as the host knows it
    virtual QString GetPathName() = 0; // "" when never saved
    virtual int GetType() = 0;

    virtual int GetConfigurationCount() = 0;
    virtual QStringList GetConfigurationNames() = 0;
    virtual std::shared_ptr<Configuration> GetActiveConfiguration() = 0;

    // Custom properties; configuration "" is the document level. An absent property reads "".
    virtual QString CustomInfo2(const QString &configuration, const QString &name) = 0;
    virtual bool AddCustomInfo3(const QString &configuration, const QString &name, int type, const QString &value) = 0;
    virtual bool DeleteCustomInfo2(const QString &configuration, const QString &name) = 0;
    virtual int GetCustomInfoCount2(const QString &configuration) = 0;
    virtual QStringList GetCustomInfoNames2(const QString &configuration) = 0;

    virtual std::shared_ptr<ModelDocExtension> Extension() = 0;

    virtual std::shared_ptr<UserUnit> GetUserUnit(int unitType) = 0;
    virtual double GetUserPreferenceDoubleValue(int preference) = 0;
    virtual bool SetUserPreferenceDoubleValue(int preference, double value) = 0;
    virtual bool SetUserPreferenceIntegerValue(int preference, int value) = 0;
    virtual int LengthUnit() = 0;
    virtual void SetLengthUnit(int code) = 0;

    virtual QString SummaryInfo(int field) = 0;
    virtual void SetSummaryInfo(int field, const QString &text) = 0;

    virtual long SaveAs2(const QString &path, int version, bool saveAsCopy, bool silent) = 0;
    virtual bool SetTitle2(const QString &title) = 0;

    virtual std::shared_ptr<Feature> FeatureByName(const QString &name) = 0;
};

class MainFrame {
public:
    virtual ~MainFrame() = default;
    virtual void SetStatusBarText(const QString &text) = 0;
};

// The host application object (swApp).
class SldWorks {
public:
    virtual ~SldWorks() = default;

    virtual bool SetAddinCallbackInfo(const void *moduleHandle, AddinCallbacks *addin, int cookie) = 0;
    virtual QString GetMenuName(int menu) = 0;
    virtual bool AddMenuItem3(int docType, int cookie, const QString &menuText, int position, const QString &callback,
        const QString &enable, const QString &hint)
        = 0;
    virtual bool RemoveMenu(int docType, const QString &menuText, const QString &callback) = 0;
    virtual std::shared_ptr<MainFrame> Frame() = 0;

    virtual std::shared_ptr<AttributeDef> DefineAttribute(const QString &name) = 0;

    virtual std::shared_ptr<ModelDoc2> ActiveDoc() = 0;
    virtual std::shared_ptr<ModelDoc2> OpenDoc6(
        const QString &path, int type, int options, const QString &configuration, int &errors, int &warnings)
        = 0;
    virtual std::shared_ptr<ModelDoc2> ActivateDoc2(const QString &name, bool silent, int &errors) = 0;

    virtual bool SetUserPreferenceIntegerValue(int preference, int value) = 0;
    virtual std::shared_ptr<UserUnit> GetUserUnit(int unitType) = 0;
};

} // namespace sw
