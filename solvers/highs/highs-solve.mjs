#!/usr/bin/env node
// Solves an LP file (CPLEX LP format) with HiGHS compiled to WebAssembly (the
// npm package `highs`) and writes HiGHS' own solution file (raw style:
// "Model status", the status, the primal values by column name), which
// `paralogs solution` reads. HiGHS' log goes to standard output, ending with
// its solving report ("Status", "Primal bound", "Dual bound").
//
//   node highs-solve.mjs --model LP --solution OUT [--time-limit S] [--threads N] [--start FILE]
//
// --start gives HiGHS a first solution: a file of the columns not at 0, one
// "index name value ..." line each after a first line of its own (the start
// file CBC reads as its mipstart); every other column is 0. A start that
// cannot be read or used is said in the log and left out.
// The solution file is written whatever the status (an infeasible model or a
// time limit without a solution says so in it), through a temporary file
// renamed over OUT. Exit status: 0 when OUT is written, 1 on a failure (the
// model cannot be read, HiGHS fails), 2 for a command line it cannot use.
// This build of HiGHS is single-threaded and has no `threads` option:
// --threads is accepted (so that every solver takes the same arguments) and
// said in the log when above 1, but adds no parallelism.
import { readFileSync, writeFileSync, renameSync, rmSync } from "node:fs";
import { basename, dirname, join } from "node:path";
import process from "node:process";

const usage = "usage: node highs-solve.mjs --model LP --solution OUT [--time-limit S] [--threads N] [--start FILE]";

function fail(message, status) {
  process.stderr.write(`highs-solve: ${message}\n`);
  if (status === 2) process.stderr.write(`${usage}\n`);
  process.exit(status);
}

function parseArguments(argv) {
  const options = { timeLimit: Infinity, threads: 0 };
  for (let i = 0; i < argv.length; i += 2) {
    const [key, value] = [argv[i], argv[i + 1]];
    if (key === "-h" || key === "--help") {
      process.stdout.write(`${usage}\n`);
      process.exit(0);
    }
    if (value === undefined) fail(`${key} needs a value`, 2);
    if (key === "--model") options.model = value;
    else if (key === "--solution") options.solution = value;
    else if (key === "--time-limit") options.timeLimit = Number(value);
    else if (key === "--threads") options.threads = Number(value);
    else if (key === "--start") options.start = value;
    else fail(`unknown option ${key}`, 2);
  }
  if (!options.model || !options.solution) fail("--model and --solution are required", 2);
  if (!(options.timeLimit > 0)) fail("--time-limit must be a positive number of seconds", 2);
  if (!Number.isInteger(options.threads) || options.threads < 0) fail("--threads must be 0 or more", 2);
  return options;
}

// The start's values as a full column vector, or a reason why there is none.
function readStart(model, path) {
  let text;
  try {
    text = readFileSync(path, "utf8");
  } catch (error) {
    return { reason: `cannot read it: ${error.message}` };
  }
  const colValue = new Float64Array(model.getDimensions().numCols);
  const lines = text.split("\n");
  for (let i = 1; i < lines.length; ++i) {
    const fields = lines[i].trim().split(/\s+/);
    if (fields.length === 1 && fields[0] === "") continue;
    const value = Number(fields[2]);
    if (fields.length < 3 || !Number.isFinite(value)) return { reason: `line ${i + 1} is not "index name value"` };
    let column;
    try {
      column = model.getColByName(fields[1]);
    } catch {
      return { reason: `line ${i + 1}: no column ${fields[1]} in the model` };
    }
    colValue[column] = value;
  }
  return { colValue };
}

function giveStart(model, path) {
  const start = readStart(model, path);
  if (start.colValue) {
    try {
      model.setSolution({ colValue: start.colValue });
      process.stdout.write(`highs-solve: start from ${path}\n`);
      return;
    } catch (error) {
      start.reason = error && error.message ? error.message : String(error);
    }
  }
  process.stdout.write(`highs-solve: start ${path} left out: ${start.reason}\n`);
}

async function main() {
  const options = parseArguments(process.argv.slice(2));
  let text;
  try {
    text = readFileSync(options.model, "utf8");
  } catch (error) {
    fail(`cannot read ${options.model}: ${error.message}`, 1);
  }
  const { default: loadHighs } = await import("highs");
  const highs = await loadHighs();
  const model = highs.createModel({ format: "lp", data: text });
  let solution;
  try {
    // No gap allowed: "Optimal" is then a proven optimum (HiGHS' default
    // relative gap of 1e-4 would let a large objective stop short of it).
    model.options.set({ mip_rel_gap: 0 });
    if (Number.isFinite(options.timeLimit)) model.options.set({ time_limit: options.timeLimit });
    if (options.start) giveStart(model, options.start);
    if (options.threads > 1)
      process.stdout.write(`highs-solve: this HiGHS is single-threaded; --threads ${options.threads} adds none\n`);
    model.run({
      [highs.constants.callbackType.logging](event) {
        process.stdout.write(event.message);
      },
    });
    solution = model.exportSolution(false);
  } finally {
    model.dispose();
  }
  const temporary = join(dirname(options.solution), `.${basename(options.solution)}.${process.pid}`);
  try {
    writeFileSync(temporary, solution);
    renameSync(temporary, options.solution);
  } catch (error) {
    rmSync(temporary, { force: true });
    fail(`cannot write ${options.solution}: ${error.message}`, 1);
  }
}

main().catch((error) => fail(error && error.message ? error.message : String(error), 1));
