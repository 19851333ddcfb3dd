# The pair's line of the summary (the check that the resolved genomes score
# what the solver promised), and the summary of all pairs in the sheet's order.


rule pair_summary:
    input:
        unimog=f"{PAIR_DIR}/pair.unimog",
        solution=f"{PAIR_DIR}/solution.xml",
        score=f"{PAIR_DIR}/score.tsv",
        benchmark=f"{PAIR_DIR}/benchmarks/solve.tsv",
        model_log=f"{PAIR_DIR}/logs/model.log",
    output:
        f"{PAIR_DIR}/summary.tsv",
    params:
        solver=SOLVER,
    log:
        f"{PAIR_DIR}/logs/summary.log",
    shell:
        "python3 {SCRIPTS:q}/summary.py pair --pair {wildcards.pair} --solver {params.solver}"
        " --unimog {input.unimog:q} --solution {input.solution:q} --score {input.score:q}"
        " --benchmark {input.benchmark:q} --model-log {input.model_log:q}"
        " -o {output:q} 2> {log:q}" + SHOW_LOG


rule summary:
    input:
        expand(f"{PAIR_DIR}/summary.tsv", pair=PAIRS),
    output:
        f"{RESULTS}/summary.tsv",
    shell:
        "python3 {SCRIPTS:q}/summary.py join -o {output:q} {input:q}"
