# What is drawn from the pairs: the summary of all pairs (which fails when an
# optimal pair's resolved genomes do not score its objective), the distance
# matrix, the neighbour-joining tree, the heatmap, and the pairs' figures.


rule summary:
    input:
        expand(f"{RESULTS}/batches/{{batch}}.tsv", batch=BATCH_NAMES),
    output:
        f"{RESULTS}/summary.tsv",
    shell:
        "{PYTHON:q} {SCRIPTS:q}/distances.py summary -o {output:q} {input:q}"


rule matrix:
    input:
        f"{RESULTS}/summary.tsv",
    output:
        tsv=f"{RESULTS}/distances.tsv",
        phylip=f"{RESULTS}/distances.phy",
    shell:
        "{PYTHON:q} {SCRIPTS:q}/distances.py matrix --summary {input:q} --tsv {output.tsv:q}"
        " --phylip {output.phylip:q}"


rule tree:
    input:
        f"{RESULTS}/distances.tsv",
    output:
        f"{RESULTS}/tree.nwk",
    shell:
        "{PYTHON:q} {SCRIPTS:q}/tree.py --matrix {input:q} -o {output:q}"


rule heatmap:
    input:
        matrix=f"{RESULTS}/distances.tsv",
        tree=f"{RESULTS}/tree.nwk",
    output:
        png=f"{RESULTS}/heatmap.png",
        svg=f"{RESULTS}/heatmap.svg",
    params:
        prefix=f"{RESULTS}/heatmap",
    shell:
        "{PYTHON:q} {SCRIPTS:q}/plots.py heatmap --matrix {input.matrix:q} --tree {input.tree:q}"
        " -o {params.prefix:q}"


rule pair_figure:
    """Needs the pair's batch done; draws from the pair's own files."""
    input:
        lambda w: f"{RESULTS}/batches/{BATCH_OF[w.pair]}.tsv",
    output:
        png=f"{RESULTS}/pairs/{{pair}}/pair.png",
        svg=f"{RESULTS}/pairs/{{pair}}/pair.svg",
    params:
        folder=f"{RESULTS}/pairs/{{pair}}",
    log:
        f"{RESULTS}/logs/pair_figure-{{pair}}.log",
    shell:
        "{PYTHON:q} {SCRIPTS:q}/plots.py pair --resolved {params.folder:q}/resolved.unimog"
        " --summary {input:q} --pair {wildcards.pair:q} -o {params.folder:q}/pair 2> {log:q}"
