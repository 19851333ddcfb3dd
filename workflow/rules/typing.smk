# Typing a collection (pairs: related): the pairs that share enough families
# (paralogs related), each computed once into the store of pairs by its key
# (store.py), the communities at distance <= community_threshold with their
# matrices completed, the network picture and results/report.html.
#
# A plan is a checkpoint: it lists the pairs with their keys and writes the
# batch sheets of the keys the store lacks; the batch jobs run
# `paralogs pair --pairs` on them. Two rounds: the related pairs, then the
# pairs within communities that the prefilter skipped (completion).

import store  # noqa: E402

# The store of computed pairs, the settings that make a pair's key, and the
# batches of a round's plan.
STORE = str(config.get("store") or f"{RESULTS}/store").rstrip("/")
TYPING_DIR = f"{RESULTS}/typing"
THRESHOLD = float(config["community_threshold"])
SETTINGS = store.settings_text(config["distance"], config["model"], config["bounds"],
                               str(config["solver_command"]) if SOLVER == "custom" else SOLVER, TIME_LIMIT)
FINAL_TARGETS += [f"{RESULTS}/communities.tsv", f"{RESULTS}/network.png", f"{RESULTS}/network.svg",
                  f"{RESULTS}/report.html"]


def done_batches(wildcards):
    """The batch files of a round's plan (after its checkpoint)."""
    todo = checkpoints.plan.get(round=wildcards.round).output.todo
    names = glob_wildcards(os.path.join(todo, "{todo}.tsv")).todo
    return expand(f"{TYPING_DIR}/done/{wildcards.round}/{{todo}}.tsv", todo=names)


wildcard_constraints:
    round="related|completion",
    todo=r"[0-9a-f]{16}",


rule related:
    """The pairs sharing at least min_containment of the smaller genome's
    families (those in more than max_family_share of the genomes left out),
    as a pairs sheet."""
    input:
        rules.collection.output.unimog,
    output:
        f"{TYPING_DIR}/related.tsv",
    params:
        minimum=config["min_containment"],
        share=config["max_family_share"],
    log:
        f"{RESULTS}/logs/related.log",
    shell:
        "{PARALOGS:q} related -s {input:q} --min-containment {params.minimum}"
        " --max-family-share {params.share} -o {output:q} 2> {log:q}"


rule completion_sheet:
    """The pairs within the communities of the related pairs that the
    prefilter skipped."""
    input:
        summary=f"{RESULTS}/summary.tsv",
        genomes=rules.collection.output.unimog,
    output:
        f"{TYPING_DIR}/completion.tsv",
    params:
        threshold=THRESHOLD,
    shell:
        "{PYTHON:q} {SCRIPTS:q}/communities.py complete --genomes {input.genomes:q} --summary {input.summary:q}"
        " --threshold {params.threshold} -o {output:q}"


checkpoint plan:
    input:
        sheet=f"{TYPING_DIR}/{{round}}.tsv",
        genomes=rules.collection.output.unimog,
    output:
        plan=f"{TYPING_DIR}/{{round}}.plan.tsv",
        todo=directory(f"{TYPING_DIR}/todo/{{round}}"),
    params:
        settings=SETTINGS,
        batch_size=int(config["batch_size"]),
    log:
        f"{RESULTS}/logs/plan-{{round}}.log",
    shell:
        "{PYTHON:q} {SCRIPTS:q}/store.py plan --genomes {input.genomes:q} --sheet {input.sheet:q}"
        " --store {STORE:q} --settings {params.settings:q} --batch-size {params.batch_size}"
        " --todo {output.todo:q} -o {output.plan:q} 2> {log:q}"


rule typing_batch:
    """`paralogs pair --pairs` on one batch of keys the store lacks."""
    input:
        todo=f"{TYPING_DIR}/todo/{{round}}/{{todo}}.tsv",
        genomes=rules.collection.output.unimog,
    output:
        f"{TYPING_DIR}/done/{{round}}/{{todo}}.tsv",
    params:
        options=lambda w, threads: pair_options(threads) + ["--keep", str(config["keep"])],
        work=f"{TYPING_DIR}/work/{{round}}-{{todo}}",
    threads: int(config["threads"])
    resources:
        runtime=lambda w: batch_runtime(int(config["batch_size"])),
    log:
        f"{RESULTS}/logs/batch-{{round}}-{{todo}}.log",
    shell:
        "{PYTHON:q} {SCRIPTS:q}/store.py batch --paralogs {PARALOGS:q} --genomes {input.genomes:q}"
        " --todo {input.todo:q} --store {STORE:q} --work {params.work:q} -o {output:q}"
        " -- {params.options:q} 2> {log:q}"


rule round_summary:
    input:
        plan=f"{TYPING_DIR}/{{round}}.plan.tsv",
        done=done_batches,
    output:
        f"{TYPING_DIR}/{{round}}.summary.tsv",
    shell:
        "{PYTHON:q} {SCRIPTS:q}/store.py summary --paralogs {PARALOGS:q} --store {STORE:q} -o {output:q}"
        " {input.plan:q}"


rule typing_summary:
    input:
        f"{TYPING_DIR}/related.summary.tsv",
    output:
        f"{RESULTS}/summary.tsv",
    run:
        output_file.copy(input[0], output[0])


rule communities:
    input:
        genomes=rules.collection.output.unimog,
        summaries=[f"{RESULTS}/summary.tsv", f"{TYPING_DIR}/completion.summary.tsv"],
    output:
        table=f"{RESULTS}/communities.tsv",
    params:
        threshold=THRESHOLD,
        # not an output: Snakemake would empty it, and unchanged communities keep their pictures
        folder=f"{RESULTS}/communities",
    log:
        f"{RESULTS}/logs/communities.log",
    shell:
        "{PYTHON:q} {SCRIPTS:q}/communities.py write --genomes {input.genomes:q} --threshold {params.threshold}"
        " --folder {params.folder:q} -o {output.table:q} {input.summaries:q} 2> {log:q}"


rule network:
    input:
        table=f"{RESULTS}/communities.tsv",
        summaries=[f"{RESULTS}/summary.tsv", f"{TYPING_DIR}/completion.summary.tsv"],
    output:
        png=f"{RESULTS}/network.png",
        svg=f"{RESULTS}/network.svg",
    params:
        prefix=f"{RESULTS}/network",
        threshold=THRESHOLD,
    shell:
        "{PYTHON:q} {SCRIPTS:q}/network.py --communities {input.table:q} --threshold {params.threshold}"
        " -o {params.prefix:q} {input.summaries:q}"


rule report:
    input:
        genomes=rules.collection.output.unimog,
        unreadable=rules.collection.output.failed,
        related=f"{TYPING_DIR}/related.tsv",
        table=f"{RESULTS}/communities.tsv",
        network=f"{RESULTS}/network.png",
        summaries=[f"{RESULTS}/summary.tsv", f"{TYPING_DIR}/completion.summary.tsv"],
    output:
        f"{RESULTS}/report.html",
    params:
        threshold=THRESHOLD,
        folder=f"{RESULTS}/communities",
    shell:
        "{PYTHON:q} {SCRIPTS:q}/report.py --genomes {input.genomes:q} --unreadable {input.unreadable:q}"
        " --related {input.related:q} --communities {input.table:q} --folder {params.folder:q}"
        " --network {input.network:q} --threshold {params.threshold} -o {output:q} {input.summaries:q}"
