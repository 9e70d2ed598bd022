// The queue-answered prompts: which boxes need an answer, and what happens when none fits.

#include "platform/scripted_prompts.h"

#include <gtest/gtest.h>

using namespace tavik;

TEST(ScriptedPrompts, AnswersQuestionsFromTheQueueAndOkBoxesByThemselves)
{
    ScriptedPrompts prompts;
    std::vector<QString> seen;
    prompts.setBoxListener([&](const RecordedBox &box) { seen.push_back(box.title + '=' + answerName(box.answer)); });

    prompts.queueAnswer(MessageAnswer::No);
    // An OK box does not take the No meant for the question after it.
    EXPECT_EQ(prompts.message("t", "Tavik: Error", MessageIcon::Critical, MessageButtons::Ok), MessageAnswer::Ok);
    EXPECT_EQ(prompts.pendingAnswers(), 1u);
    EXPECT_EQ(prompts.message("q", "Tavik: Caution", MessageIcon::Question, MessageButtons::YesNo), MessageAnswer::No);

    // An OK queued before an OK box is used up by it.
    prompts.queueAnswer(MessageAnswer::Ok);
    prompts.message("t", "Tavik: Warning", MessageIcon::Exclamation, MessageButtons::Ok);
    EXPECT_EQ(prompts.pendingAnswers(), 0u);
    EXPECT_FALSE(prompts.failed());
    EXPECT_EQ(seen, (std::vector<QString>{"Tavik: Error=OK", "Tavik: Caution=No", "Tavik: Warning=OK"}));
    EXPECT_EQ(prompts.boxes().size(), 3u);

    prompts.queueFile(QStringLiteral("/tmp/a.sldprt"));
    prompts.queueFile(std::nullopt);
    EXPECT_EQ(prompts.openFile({}), std::optional<QString>("/tmp/a.sldprt"));
    EXPECT_EQ(prompts.openFile({}), std::nullopt);
    EXPECT_FALSE(prompts.failed());
}

TEST(ScriptedPrompts, UnansweredOrMisfittingQuestionsFailWithoutDoingHarm)
{
    ScriptedPrompts prompts;
    QStringList failures;
    prompts.setFailureListener([&](const QString &reason) { failures << reason; });

    // No answer: the cancelling button is taken, so nothing destructive follows.
    EXPECT_EQ(prompts.message("x", "Tavik: Reset index", MessageIcon::Question, MessageButtons::YesNoCancel),
        MessageAnswer::Cancel);
    EXPECT_TRUE(prompts.failed());
    EXPECT_TRUE(prompts.failure().contains("Tavik: Reset index"));

    prompts.clearFailure();
    prompts.queueAnswer(MessageAnswer::Cancel);
    EXPECT_EQ(prompts.message("x", "Tavik: Caution", MessageIcon::Question, MessageButtons::YesNo), MessageAnswer::No);
    EXPECT_TRUE(prompts.failure().contains("Cancel"));

    // The first failure is kept as the cause.
    FileOpenRequest open;
    open.title = QStringLiteral("Open");
    prompts.openFile(open);
    EXPECT_TRUE(prompts.failure().contains("Cancel"));
    EXPECT_EQ(failures.size(), 3);
    EXPECT_TRUE(failures[2].contains("file"));
}
