# The pairs' work: the collection in one UniMoG file, the list of pairs by
# batch, and the batch jobs, each running its pairs in one `paralogs pair
# --pairs` process (their sheet in RESULTS/batches/N.pairs.tsv). Every file
# of pair P goes to RESULTS/pairs/P/; a batch's lines go to
# RESULTS/batches/N.tsv, the time of each of its pairs to N.times.tsv.


rule collection:
    """Every genome of the collection's files as UniMoG, read once for all
    batches; files that cannot be read are listed with the reason."""
    input:
        GENOME_FILES,
    output:
        unimog=f"{RESULTS}/collection/genomes.unimog",
        failed=f"{RESULTS}/collection/unreadable.tsv",
    log:
        f"{RESULTS}/logs/collection.log",
    shell:
        "{PYTHON:q} {SCRIPTS:q}/collection.py --paralogs {PARALOGS:q} --unimog {output.unimog:q}"
        " --failed {output.failed:q} {input:q} 2> {log:q}"


rule pair_list:
    """Every pair with its batch, written once; rewritten when the pairs
    change. A batch job reads its own lines; its digest (a parameter) makes
    Snakemake redo the batch when they change, and only then."""
    output:
        f"{RESULTS}/pairs.tsv",
    params:
        digest=collection.digest(PAIRS, BATCH_NAMES, int(config["batch_size"])),
    run:
        collection.write_pair_list(output[0], PAIRS, int(config["batch_size"]))


rule batch:
    input:
        pairs=ancient(f"{RESULTS}/pairs.tsv"),
        collection=rules.collection.output if USES_COLLECTION else [],
    output:
        summary=f"{RESULTS}/batches/{{batch}}.tsv",
        times=f"{RESULTS}/batches/{{batch}}.times.tsv",
    params:
        collection=lambda w, input: ["--collection", input.collection[0], "--collection-failed",
                                     input.collection[1]] if USES_COLLECTION else [],
        options=lambda w, threads: pair_options(threads),
        digest=lambda w: collection.digest(BATCHES[int(w.batch) - 1]),
    threads: int(config["threads"])
    resources:
        runtime=lambda w: batch_runtime(len(BATCHES[int(w.batch) - 1])),
    log:
        f"{RESULTS}/logs/batch-{{batch}}.log",
    shell:
        "{PYTHON:q} {SCRIPTS:q}/batch.py --paralogs {PARALOGS:q} --list {input.pairs:q} --batch {wildcards.batch}"
        " --pairs-dir {RESULTS:q}/pairs {params.collection:q} -o {output.summary:q}"
        " --times {output.times:q} -- {params.options:q} 2> {log:q}"
