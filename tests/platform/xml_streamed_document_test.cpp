#include "platform/xml_attribute_defaults.h"
#include "platform/xml_document.h"
#include "platform/xml_schema_cache.h"
#include "platform/xml_streamed_document.h"
#include "scratch_base.h"

using namespace tavik;

namespace {

// The document element takes a settings element first, then any number of a and c elements.
// An a has defaults and holds b elements, which have defaults of their own; a c holds text.
const QByteArray Schema = R"(<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:t="urn:s"
    targetNamespace="urn:s" elementFormDefault="qualified">
  <xs:element name="r">
    <xs:complexType><xs:sequence>
      <xs:element name="s" minOccurs="0"><xs:complexType>
        <xs:attribute name="mode" default="local"/></xs:complexType></xs:element>
      <xs:choice minOccurs="0" maxOccurs="unbounded">
        <xs:element name="a" type="t:a"/>
        <xs:element name="c"><xs:simpleType><xs:restriction base="xs:string">
          <xs:minLength value="1"/></xs:restriction></xs:simpleType></xs:element>
      </xs:choice>
    </xs:sequence></xs:complexType>
  </xs:element>
  <xs:complexType name="a">
    <xs:sequence><xs:element name="b" minOccurs="0" maxOccurs="unbounded">
      <xs:complexType><xs:attribute name="k" use="required"/><xs:attribute name="e" default="2"/>
      </xs:complexType></xs:element></xs:sequence>
    <xs:attribute name="id" use="required"/>
    <xs:attribute name="d" default="1"/>
    <xs:attribute name="f" default="x"/>
  </xs:complexType>
</xs:schema>)";

class XmlStream : public ScratchTest {
protected:
    XmlStream()
        : ScratchTest(QStringLiteral("xml-stream"))
    {
        XmlDocument schemaDoc;
        EXPECT_TRUE(schemaDoc.load(write("s.xsd", Schema)));
        auto cache = std::make_shared<XmlSchemaCache>();
        EXPECT_TRUE(cache->add(QStringLiteral("urn:s"), schemaDoc));
        schemas = cache;
    }

    // Each child as "name:default=value,..." for the defaults that apply to it and to its first
    // child element; "!" at the end when the stream ended without reading the document exactly.
    QStringList stream(const QByteArray &body)
    {
        XmlStreamedDocument doc(schemas);
        QStringList seen;
        if (doc.open(write("d.xml", "<r xmlns=\"urn:s\">" + body + "</r>")))
            for (XmlView child = doc.nextChild(); !child.isNull(); child = doc.nextChild())
                seen << describe(child) + (child.firstChild().isElement() ? " " + describe(child.firstChild()) : "");
        if (!doc.complete())
            seen << "!";
        return seen;
    }

    static QString describe(const XmlView &element)
    {
        QStringList applied;
        for (const DefaultAttribute &def : XmlAttributeDefaults::of(element.node()))
            if (!XmlAttributeDefaults::writes(element.node(), def))
                applied << QString::fromUtf8(def.fullName) + '=' + def.value;
        return element.localName() + ':' + applied.join(',');
    }

    std::shared_ptr<const XmlSchemaCache> schemas;
};

} // namespace

TEST_F(XmlStream, ChildrenComeWithTheDefaultsOfTheirKindWhateverTheFirstOneWrote)
{
    // The first a writes d and its b writes e: both defaults are still learned for later ones.
    EXPECT_EQ(stream("<s/><a id=\"1\" d=\"9\"><b k=\"1\" e=\"8\"/></a><c>t</c><a id=\"2\" f=\"y\"><b k=\"2\"/></a>"),
        QStringList({"s:mode=local", "a:f=x b:", "c:", "a:d=1 b:e=2"}));
    // Blank text between elements is no content.
    EXPECT_EQ(stream("\n<a id=\"1\">\n  <b k=\"1\"/>\n</a>\n<c>t</c>\n"), QStringList({"a:d=1,f=x b:e=2", "c:"}));
}

TEST_F(XmlStream, WhatOnlyAWholeReadJudgesExactlyEndsTheStream)
{
    const QByteArray first = "<a id=\"1\"/>";
    // Not valid, not well formed, or invalid further on.
    for (const QByteArray &body : {first + "<a/>", first + "<a id=\"2\">", first + "<c>t</c><s/>"})
        EXPECT_EQ(stream(body).last(), "!") << body.constData();
    // An element naming its type, and blank text that a whole read would take away before
    // validating, which leaves c too short.
    EXPECT_EQ(stream("<a xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xsi:type=\"t:a\" "
                     "xmlns:t=\"urn:s\" id=\"1\"/>"),
        QStringList({"!"}));
    EXPECT_EQ(stream("<c>t</c><c> </c>"), QStringList({"c:", "!"}));
    // A child that is not valid in a document of its own: the settings must come first.
    XmlDocument schemaDoc;
    ASSERT_TRUE(schemaDoc.load(write(
        "s.xsd", QByteArray(Schema).replace("minOccurs=\"0\"><xs:complexType>", "minOccurs=\"1\"><xs:complexType>"))));
    auto strict = std::make_shared<XmlSchemaCache>();
    ASSERT_TRUE(strict->add(QStringLiteral("urn:s"), schemaDoc));
    schemas = strict;
    EXPECT_EQ(stream("<s/>" + first), QStringList({"s:mode=local", "!"}));
    // A namespace the schema does not describe.
    XmlStreamedDocument other(schemas);
    EXPECT_FALSE(other.open(write("o.xml", "<r xmlns=\"urn:other\"/>")));
    EXPECT_TRUE(other.nextChild().isNull() && !other.complete());
}
