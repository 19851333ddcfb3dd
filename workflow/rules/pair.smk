# One pair of genomes, from its genomes file to the resolved genomes: every
# file of pair P goes to RESULTS/P/, every log to RESULTS/P/logs/, the time
# and memory of every step (Snakemake's benchmark) to RESULTS/P/benchmarks/.

PAIR_DIR = f"{RESULTS}/{{pair}}"


rule genomes:
    """The two genomes of the pair, A first: as a structures file (what the
    model, resolve-paralogs and the score read) and as UniMoG."""
    input:
        lambda w: PAIRS[w.pair]["genomes"],
    output:
        structs=f"{PAIR_DIR}/pair.txt",
        unimog=f"{PAIR_DIR}/pair.unimog",
    params:
        names=lambda w: ["--a", PAIRS[w.pair]["a"], "--b", PAIRS[w.pair]["b"]] if PAIRS[w.pair]["a"] else [],
    benchmark:
        f"{PAIR_DIR}/benchmarks/genomes.tsv"
    log:
        f"{PAIR_DIR}/logs/genomes.log",
    shell:
        "python3 {SCRIPTS:q}/select_genomes.py --paralogs {PARALOGS:q} {params.names:q}"
        " {input:q} {output.structs:q} {output.unimog:q} 2> {log:q}" + SHOW_LOG


rule model:
    input:
        f"{PAIR_DIR}/pair.txt",
    output:
        f"{PAIR_DIR}/model.lp",
    params:
        model=config["model"],
    benchmark:
        f"{PAIR_DIR}/benchmarks/model.tsv"
    log:
        f"{PAIR_DIR}/logs/model.log",
    shell:
        "{PARALOGS:q} model -s {input:q} -o {output:q} --model {params.model} 2> {log:q}" + SHOW_LOG


rule solve:
    """The solver on the program; its wall time is the benchmark file's."""
    input:
        f"{PAIR_DIR}/model.lp",
    output:
        f"{PAIR_DIR}/solver.out",
    params:
        command=lambda w, input, output, threads: solver_command(input[0], output[0], threads),
        solver=SOLVER,
        time_limit=TIME_LIMIT,
    threads: int(config["threads"])
    resources:
        # minutes, for cluster executors (SLURM's --time): the limit and slack
        runtime=int(TIME_LIMIT) // 60 + 10,
    benchmark:
        f"{PAIR_DIR}/benchmarks/solve.tsv"
    log:
        f"{PAIR_DIR}/logs/solve.log",
    shell:
        "{params.command} > {log:q} 2>&1" + SHOW_LOG


rule solution:
    """The solver's answer as the CPLEX XML that resolve-paralogs reads."""
    input:
        f"{PAIR_DIR}/solver.out",
    output:
        f"{PAIR_DIR}/solution.xml",
    benchmark:
        f"{PAIR_DIR}/benchmarks/solution.tsv"
    log:
        f"{PAIR_DIR}/logs/solution.log",
    shell:
        "{PARALOGS:q} solution -i {input:q} -o {output:q} 2> {log:q}" + SHOW_LOG


rule resolve:
    """resolve-paralogs joins every path below its working directory: it runs
    in the pair's folder with plain file names."""
    input:
        structs=f"{PAIR_DIR}/pair.txt",
        solution=f"{PAIR_DIR}/solution.xml",
    output:
        f"{PAIR_DIR}/resolved.txt",
    params:
        folder=lambda w, output: os.path.dirname(output[0]) or ".",
    benchmark:
        f"{PAIR_DIR}/benchmarks/resolve.tsv"
    log:
        f"{PAIR_DIR}/logs/resolve.log",
    shell:
        "cd {params.folder:q} && {{ {RESOLVE:q} -s pair.txt -i solution.xml -o resolved.txt"
        " > logs/resolve.log 2>&1 || {{ status=$?; cat logs/resolve.log >&2; exit $status; }}; }}"


rule score:
    input:
        f"{PAIR_DIR}/resolved.txt",
    output:
        f"{PAIR_DIR}/score.tsv",
    benchmark:
        f"{PAIR_DIR}/benchmarks/score.tsv"
    log:
        f"{PAIR_DIR}/logs/score.log",
    shell:
        "{PARALOGS:q} score -s {input:q} > {output:q} 2> {log:q}" + SHOW_LOG


rule resolved_unimog:
    input:
        f"{PAIR_DIR}/resolved.txt",
    output:
        f"{PAIR_DIR}/resolved.unimog",
    benchmark:
        f"{PAIR_DIR}/benchmarks/resolved_unimog.tsv"
    log:
        f"{PAIR_DIR}/logs/unimog.log",
    shell:
        "{PARALOGS:q} unimog -i {input:q} -o {output:q} 2> {log:q}" + SHOW_LOG
