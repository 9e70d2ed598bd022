#include "platform/xml_document.h"
#include "platform/xml_schema_cache.h"
#include "scratch_base.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <unistd.h>

using namespace tavik;

namespace {

QString write(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    return writeFile(dir.filePath(name), bytes);
}

} // namespace

TEST(XmlDocument, DiagnosticsAreCollectedNotPrintedAndGlobalHandlersComeBack)
{
    QTemporaryDir dir(scratchBase() + "/xml-XXXXXX");
    const xmlExternalEntityLoader loaderBefore = xmlGetExternalEntityLoader();
    const xmlStructuredErrorFunc structuredBefore = xmlStructuredError;

    // libxml2 prints to stderr unless told otherwise: catch anything that reaches it.
    fflush(stderr);
    const int savedStderr = dup(2);
    QFile capture(dir.filePath("stderr.txt"));
    ASSERT_TRUE(capture.open(QIODevice::WriteOnly));
    dup2(capture.handle(), 2);

    XmlDocument broken;
    const bool brokenLoaded = broken.load(write(dir, "broken.xml", "<a>\n<b>\n</a>"));
    XmlDocument deep;
    const bool deepLoaded = deep.load(write(dir, "deep.xml", QByteArray("<a>").repeated(100000)));
    XmlDocument badSchema;
    badSchema.load(write(dir, "bad.xsd",
        "<xs:schema xmlns:xs='http://www.w3.org/2001/XMLSchema' "
        "targetNamespace='urn:t'><xs:element/></xs:schema>"));
    const bool compiled = XmlSchemaCache().add("urn:t", badSchema);
    XmlDocument missing;
    const bool missingLoaded = missing.load(dir.filePath("absent.xml"));

    fflush(stderr);
    dup2(savedStderr, 2);
    close(savedStderr);

    EXPECT_FALSE(brokenLoaded || deepLoaded || compiled || missingLoaded);
    EXPECT_EQ(broken.parseError().line, 3);
    EXPECT_TRUE(broken.parseError().reason.endsWith("\r\n"));
    EXPECT_TRUE(broken.documentElement().isNull());
    for (const XmlDocument *failed : {&deep, &badSchema, &missing})
        EXPECT_FALSE(failed->parseError().reason.isEmpty());

    QFile printed(capture.fileName());
    ASSERT_TRUE(printed.open(QIODevice::ReadOnly));
    EXPECT_EQ(printed.readAll(), QByteArray());
    EXPECT_EQ(xmlGetExternalEntityLoader(), loaderBefore);
    EXPECT_EQ(xmlStructuredError, structuredBefore);
}

TEST(XmlDocument, BlankTextGoesWhereverTheParserLeavesItUnlessPreservedAndViewsReadTheTree)
{
    QTemporaryDir dir(scratchBase() + "/xml-XXXXXX");
    XmlDocument doc;
    ASSERT_TRUE(doc.load(write(dir, "t.xml",
        "<r xmlns:p='urn:t'>\n <o> </o>\n <m>t<b/> <c/></m>\n"
        " <s xml:space='preserve'> </s>\n <k xml:space='preserve'><v> </v> <v/></k>\n"
        " <p:x p:a='x &amp; y' a='&lt;'/>\n</r>")));
    const XmlView root = doc.documentElementView();
    XmlView o = root.firstChild();
    // The parser keeps the blank content of an otherwise empty element and blank text beside
    // text; neither is content.
    EXPECT_TRUE(o.firstChild().isNull());
    XmlView m = o.next();
    EXPECT_TRUE(m.firstChild().next().hasLocalName("b") && m.firstChild().next().next().hasLocalName("c"));
    XmlView s = m.next();
    EXPECT_EQ(s.text(), " ");
    XmlView k = s.next();
    EXPECT_EQ(k.firstChild().text(), " ");
    EXPECT_TRUE(k.firstChild().next().kind() == XmlView::Kind::Text && k.firstChild().next().localName().isEmpty());

    XmlView x = k.next();
    EXPECT_TRUE(x.hasFullName("p:x") && !x.hasFullName("x") && x.hasLocalName("x") && x.localName() == "x");
    EXPECT_EQ(x.attribute("p:a").value(), "x & y");
    EXPECT_EQ(x.attribute("a").value(), "<");
    EXPECT_TRUE(x.attribute("a").specified() && x.attribute("p").isNull());

    // A namespace node is a copy that dies with the query: never handed out.
    EXPECT_TRUE(doc.selectSingleNode("/*/namespace::p").isNull());

    // A discarded node leaves the tree; the document element stays whatever is asked.
    doc.discard(o);
    EXPECT_TRUE(root.firstChild() == m);
    doc.discard(root);
    EXPECT_TRUE(doc.documentElementView() == root);
}
