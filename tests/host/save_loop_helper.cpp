// Saves one document over and over as the host does: save_loop_helper DOCUMENT. Each round
// changes the property "Round" and saves; "saved N" is printed once round N is on disk. Runs
// until it is killed; exits 1 on any failure.

#include "host/document_file_error.h"
#include "host/host_application.h"
#include "host/host_document.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    try {
        auto host = std::make_shared<tavik::HostApplication>();
        const auto doc = host->openDocument(app.arguments().value(1));
        for (long round = 1;; ++round) {
            doc->DeleteCustomInfo2(QString(), QStringLiteral("Round"));
            doc->AddCustomInfo3(QString(), QStringLiteral("Round"), 30, QString::number(round));
            doc->save();
            std::printf("saved %ld\n", round);
            std::fflush(stdout);
        }
    } catch (const tavik::DocumentFileError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return 1;
}
