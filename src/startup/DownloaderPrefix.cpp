#include "startup/DownloaderPrefix.h"

#include "app/PrefixChoice.h"
#include "startup/PrefixDialog.h"

DownloaderPrefix chooseDownloaderPrefix(Platform &settings, const StartOptions &options,
                                        const QString &winePrefixVariable, const QString &home,
                                        QWidget *dialogParent)
{
    // A prefix the user named is used as named; a cache folder of its own
    // needs none, and asking for one would only puzzle.
    if (!options.prefixFolder.isEmpty())
        return {options.prefixFolder, {options.prefixFolder}};
    if (!winePrefixVariable.isEmpty())
        return {winePrefixVariable, {winePrefixVariable}};
    if (!options.cacheFolder.isEmpty())
        return {};

    const PrefixPlan plan = planPrefix(home, rememberedPrefix(settings));
    switch (plan.step) {
    case PrefixPlan::Step::Use:
        return {plan.folder, plan.places};
    case PrefixPlan::Step::NothingFound:
        return {QString(), plan.places};
    case PrefixPlan::Step::Ask:
        break;
    }
    const std::optional<int> chosen = PrefixDialog::ask(plan.candidates, home, dialogParent);
    // Naming the places would say the downloader is not in them, which it
    // is: without a choice there is simply nothing to show.
    if (!chosen)
        return {};
    const QString folder = plan.candidates.at(*chosen).folder;
    rememberPrefix(settings, folder);
    return {folder, plan.places};
}
