// checkgrammar.js - holds the editor grammar against the engine's tokenizer: every line of every
// script given is read by the grammar (as VS Code reads it) and by the engine (tokenlist), and
// both must see the same tokens up to the first malformed one; no line may leave the grammar in
// a state that reaches into the next line. Also checks that the annotated samples assert every
// scope the grammar gives.
// Usage: node checkgrammar.js NODE_MODULES GRAMMAR TOKENLIST SAMPLES_FOLDER SCRIPT_FOLDER...
'use strict';
const fs = require('fs');
const path = require('path');
const { execFileSync } = require('child_process');

const [modules, grammarfile, tokenlist, samples, ...folders] = process.argv.slice(2);
const textmate = require(path.join(modules, 'vscode-textmate'));
const oniguruma = require(path.join(modules, 'vscode-oniguruma'));

const maxname = 255; // the engine keeps the first 255 characters of a name
const maxreported = 20;

function scriptsbelow(folder) {
  return fs.readdirSync(folder, { withFileTypes: true }).flatMap((entry) => {
    const where = path.join(folder, entry.name);
    if (entry.isDirectory()) return scriptsbelow(where);
    return entry.name.endsWith('.vk') ? [where] : [];
  });
}

// Every scope name that a rule or a capture of the grammar gives.
function grammarscopes(rule, found = new Set()) {
  if (Array.isArray(rule)) rule.forEach((r) => grammarscopes(r, found));
  else if (rule && typeof rule === 'object') {
    if (typeof rule.name === 'string') found.add(rule.name);
    Object.values(rule).forEach((r) => grammarscopes(r, found));
  }
  return found;
}

// The scopes that assertion lines ("; ^^^ scope - unwanted scope") of the samples require.
function assertedscopes(files) {
  const found = new Set();
  for (const file of files) {
    for (const line of fs.readFileSync(file, 'latin1').split('\n')) {
      const assertion = /^;\s*(?:<~*-+|\^+)\s+(.*)$/.exec(line);
      if (assertion) assertion[1].split(' - ')[0].split(/\s+/).forEach((s) => found.add(s));
    }
  }
  return found;
}

function charword(c) {
  return 'char:' + c.charCodeAt(0).toString(16).padStart(2, '0');
}

// Operators and punctuation as the engine's words: "<>" is the same token as "!=", and a
// single "!", "&" or "|" is a plain character.
function operatorword(text) {
  if (text === '<>') return '!=';
  return text.length === 1 && !'=<>+-*/%'.includes(text) ? charword(text) : text;
}

// The tokens the grammar sees in one line, as words; a malformed token ends the list.
function grammarwords(line, tokens) {
  const words = [];
  for (const t of tokens) {
    const text = line.substring(t.startIndex, t.endIndex);
    const has = (prefix) => t.scopes.some((s) => s.startsWith(prefix));
    if (has('comment.')) continue;
    if (has('invalid.illegal.unterminated') || has('invalid.illegal.numeric')) {
      words.push('error');
      break;
    }
    if (has('string.quoted.double')) {
      if (has('punctuation.definition.string.begin')) words.push('string');
    } else if (has('variable.other.quoted')) {
      if (has('punctuation.definition.name.begin')) words.push('quoted');
    } else if (has('constant.numeric')) {
      if (!has('keyword.other.unit')) words.push('number'); // the inch mark belongs to its number
    } else if (has('keyword.operator') || has('invalid.illegal.operator') || has('punctuation.')) {
      words.push(operatorword(text));
    } else if (has('keyword.control') || has('support.function') || has('variable.')) {
      words.push('name:' + text.substring(0, maxname));
    } else {
      // Text no rule claims: blanks, or characters the engine reads one at a time.
      for (const c of text) if (c !== ' ' && c !== '\t') words.push(charword(c));
    }
  }
  return words;
}

// The engine's words for every line of every script: tokenlist prints "@FILE", then one line
// per script line.
function enginewords(files) {
  const out = execFileSync(tokenlist, files, { encoding: 'latin1', maxBuffer: 1 << 28 });
  const byfile = new Map();
  let current = null;
  for (const line of out.split('\n').slice(0, -1)) {
    if (line.startsWith('@')) byfile.set(line.substring(1), (current = []));
    else current.push(line === '' ? [] : line.split(' '));
  }
  return byfile;
}

async function main() {
  const failures = [];
  const grammarjson = JSON.parse(fs.readFileSync(grammarfile, 'utf8'));
  const samplefiles = scriptsbelow(samples);
  const asserted = assertedscopes(samplefiles);
  for (const scope of grammarscopes([grammarjson.patterns, grammarjson.repository])) {
    if (!asserted.has(scope)) failures.push(`no sample asserts the scope ${scope}`);
  }

  const wasm = fs.readFileSync(path.join(modules, 'vscode-oniguruma/release/onig.wasm')).buffer;
  await oniguruma.loadWASM(wasm);
  const registry = new textmate.Registry({
    onigLib: Promise.resolve({
      createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
      createOnigString: (s) => new oniguruma.OnigString(s),
    }),
    loadGrammar: async () => textmate.parseRawGrammar(fs.readFileSync(grammarfile, 'utf8'), grammarfile),
  });
  const grammar = await registry.loadGrammar(grammarjson.scopeName);

  // The state between lines: what an empty line leaves.
  const between = grammar.tokenizeLine('', textmate.INITIAL).ruleStack;
  const files = samplefiles.concat(...folders.map(scriptsbelow));
  const engine = enginewords(files);
  let lines = 0;
  for (const file of files) {
    // Bytes as characters, as the engine reads them; a NUL ends the engine's line.
    const text = fs.readFileSync(file, 'latin1').split(/\r\n|\r|\n/);
    text.forEach((full, index) => {
      const line = full.split('\0')[0];
      const result = grammar.tokenizeLine(line, between);
      const where = `${file}:${index + 1}`;
      if (!result.ruleStack.equals(between)) failures.push(`${where}: the grammar is still inside a rule at the end of the line`);
      const mine = grammarwords(line, result.tokens).join(' ');
      const theirs = engine.get(file)[index].join(' ');
      if (mine !== theirs) failures.push(`${where}: ${JSON.stringify(line)}\n  grammar: ${mine}\n  engine:  ${theirs}`);
      ++lines;
    });
  }
  failures.slice(0, maxreported).forEach((f) => console.log(f));
  console.log(`${files.length} scripts, ${lines} lines; ${failures.length} failures`);
  process.exitCode = failures.length === 0 ? 0 : 1;
}

main().catch((error) => {
  console.error(error);
  process.exitCode = 1;
});
