// features.js - the language server through the protocol library of VS Code's client, started
// as the extension starts it (its settings give the -I folder and the library): diagnostics
// on the token each report is about, incremental changes, completion, signature help, hover,
// definition, references, rename, symbols, semantic tokens, folding and formatting, and a
// script of the folder that the editor has open read from the editor rather than from its file.
'use strict';

const path = require('path');
const { extensions, check, same, scratch, uri, start, finish } = require('./harness');

const mainText = [
  '; the main script', //                                                     0
  'fruit = {{name = "apple", price = 1.2}, {name = "fig", price = 2.5}}', // 1
  'total = 0', //                                                             2
  'for each f in fruit', //                                                   3
  '  if f.price > 1', //                                                      4
  '    print f.name, round(f.price, 1)', //                                   5
  '  end', //                                                                 6
  '  total = total + f.price', //                                             7
  'next', //                                                                  8
  'area width = 3, height = 4', //                                            9
  'helper', //                                                                10
  'geo 1, 2', //                                                              11
  'x = (1 +', //                                                              12
  'count = 3', //                                                             13
  'nosuch 1', //                                                              14
  'print shared, total', //                                                   15
  '',
].join('\n');

const folder = scratch({
  'main.vk': mainText,
  'area.vk': '; the area of a rectangle\n; from width and height\nresult = width * height\n',
  'other.vk': 'shared = 1\ntotal = total + 1\n',
  'lib/helper.vk': 'h = 1\n',
});
const mainUri = uri(path.join(folder, 'main.vk'));
const otherUri = uri(path.join(folder, 'other.vk'));
const at = (line, character) => ({ textDocument: { uri: mainUri }, position: { line, character } });
const range = (line, from, to) => ({ start: { line, character: from }, end: { line, character: to } });

async function diagnostics(client) {
  client.notify('textDocument/didOpen',
    { textDocument: { uri: mainUri, languageId: 'vesk', version: 1, text: mainText } });
  const published = await client.diagnostics(mainUri);
  same('diagnostics: each on its token, with severity and code',
    published.diagnostics.map((d) => [d.range, d.severity, d.code, d.source, d.message]), [
      [range(12, 7, 8), 1, 'syntax', 'vesk', 'Ausdruck nicht korrekt'],
      [range(12, 7, 8), 1, 'syntax', 'vesk', "invalid expression following '='"],
      [range(13, 0, 5), 2, 'assigns-callable', 'vesk',
        "assignment to 'count', which is a function: every read of 'count' calls it"],
      [range(14, 7, 8), 1, 'syntax', 'vesk', 'trailing something after expression'],
      [range(14, 0, 6), 2, 'unknown-name', 'vesk',
        "'nosuch' is called, but it is no function or script in reach and no line assigns it"],
    ]);
  same('diagnostics: of the version opened', published.version, 1);

  // Two incremental changes in one notification: the first closes the parenthesis, the
  // second (in the text the first left) removes the line "count = 3".
  client.notify('textDocument/didChange', {
    textDocument: { uri: mainUri, version: 2 },
    contentChanges: [{ range: range(12, 8, 8), text: ' 2)' }, { range: { start: { line: 13, character: 0 }, end: { line: 14, character: 0 } }, text: '' }],
  });
  const changed = await client.diagnostics(mainUri);
  same('incremental changes: applied in order',
    changed.diagnostics.map((d) => [d.range.start.line, d.code]), [[13, 'syntax'], [13, 'unknown-name']]);
  same('incremental changes: the version', changed.version, 2);
  const formatted = await client.request('textDocument/formatting',
    { textDocument: { uri: mainUri }, options: { tabSize: 2, insertSpaces: true } });
  same('incremental changes: the text as the editor has it (formatting changes nothing)', formatted, []);
  // The whole text again, as a change without a range.
  client.notify('textDocument/didChange',
    { textDocument: { uri: mainUri, version: 3 }, contentChanges: [{ text: mainText }] });
  same('a change of the whole text', (await client.diagnostics(mainUri)).diagnostics.length, 5);
}

async function completion(client) {
  const labels = async (line, character) =>
    (await client.request('textDocument/completion', at(line, character))).items;
  const members = await labels(5, 12);
  same('completion after "f.": the members of the literal of the list f runs through',
    members.map((i) => i.label), ['name', 'price']);
  const items = await labels(10, 0);
  const find = (label) => items.find((i) => i.label === label);
  check('completion: block snippets where the client takes them',
    find('for each') && find('for each').insertTextFormat === 2 &&
    find('for each').insertText.startsWith('for each ${1:item} in'), find('for each'));
  same('completion: a built-in with its parameters and description',
    [find('round').kind, find('round').detail, find('round').documentation],
    [3, 'round(x, d)', 'x rounded to d decimals; halves go up.']);
  check('completion: the function of a library', find('geo') && /geo/.test(find('geo').detail), find('geo'));
  same('completion: variables of the document', [find('fruit').kind, find('total').detail], [6, 'assigned in line 3']);
  check('completion: global names of the folder\'s other scripts',
    find('shared') && find('shared').detail === 'global, assigned in other.vk', find('shared'));
  check('completion: scripts in reach, also of the -I folder',
    find('area') && find('helper') && find('area').kind === 9, [find('area'), find('helper')]);
  same('completion: nothing inside a text or a comment',
    [(await labels(1, 20)).length, (await labels(0, 5)).length], [0, 0]);
}

async function signatures(client) {
  const help = await client.request('textDocument/signatureHelp', at(5, 34));
  same('signature help: a built-in, its second parameter',
    [help.signatures[0].label, help.signatures[0].parameters.map((p) => p.label), help.activeParameter],
    ['round(x, d)', ['x', 'd'], 1]);
  const script = await client.request('textDocument/signatureHelp', at(9, 17));
  same('signature help: the parameters a script reads, the one named',
    [script.signatures[0].label, script.activeParameter, script.signatures[0].documentation],
    ['area(width, height)', 1, 'the area of a rectangle\nfrom width and height\n']);
}

async function hover(client) {
  const text = async (line, character) => {
    const shown = await client.request('textDocument/hover', at(line, character));
    return shown === null ? null : shown.contents.value;
  };
  same('hover: a built-in', await text(5, 22), '```vesk\nround(x, d)\n```\nx rounded to d decimals; halves go up.');
  same('hover: a variable\'s first assignment', await text(15, 16), '```vesk\ntotal = 0\n```\nfirst assigned in line 3');
  same('hover: a script\'s first comment lines', await text(9, 2), '```vesk\narea(width, height)\n```\nthe area of a rectangle\nfrom width and height\n');
  same('hover: nothing on a keyword', await text(3, 1), null);
}

async function navigation(client) {
  const area = await client.request('textDocument/definition', at(9, 1));
  same('definition: a script call goes to the script', area, { uri: uri(path.join(folder, 'area.vk')), range: range(0, 0, 0) });
  same('definition: a variable goes to its first assignment',
    await client.request('textDocument/definition', at(7, 12)), { uri: mainUri, range: range(2, 0, 5) });
  const refs = await client.request('textDocument/references', { ...at(2, 0), context: { includeDeclaration: true } });
  same('references: in the document and in the folder\'s other scripts',
    refs.map((r) => [r.uri === mainUri ? 'main' : r.uri === otherUri ? 'other' : r.uri, r.range.start.line, r.range.start.character]),
    [['main', 2, 0], ['main', 7, 2], ['main', 7, 10], ['main', 15, 14], ['other', 1, 0], ['other', 1, 8]]);
  const renamed = await client.request('textDocument/rename', { ...at(2, 0), newName: 'sum' });
  same('rename: every place, across the folder',
    Object.entries(renamed.changes).map(([u, edits]) => [u === mainUri ? 'main' : 'other', edits.length, edits[0].newText]),
    [['main', 4, 'sum'], ['other', 2, 'sum']]);
  for (const [name, why] of [['round', 'function'], ['area', 'script in reach'], ['next', 'keyword']]) {
    let refused = '';
    try {
      await client.request('textDocument/rename', { ...at(2, 0), newName: name });
    } catch (error) {
      refused = error.message;
    }
    check(`rename: refused onto ${name}, a ${why}`, refused.includes(why), refused);
  }
  let prepared = '';
  try {
    await client.request('textDocument/prepareRename', at(5, 22));
  } catch (error) {
    prepared = error.message;
  }
  same('prepare rename: a function is no variable', prepared, 'only a variable can be renamed');
}

async function outline(client) {
  const symbols = await client.request('textDocument/documentSymbol', { textDocument: { uri: mainUri } });
  const shape = (list) => list.map((s) => [s.name, s.kind, s.range.start.line, s.range.end.line, shape(s.children)]);
  // "x = (1 +" fails: it assigns nothing.
  same('symbols: blocks nested, with the first assignment of each variable', shape(symbols), [
    ['fruit', 13, 1, 1, []], ['total', 13, 2, 2, []],
    ['for each f in fruit', 3, 3, 9, [['f', 13, 3, 3, []], ['if f.price > 1', 3, 4, 7, []]]],
    ['count', 13, 13, 13, []]]);
  const { data } = await client.request('textDocument/semanticTokens/full', { textDocument: { uri: mainUri } });
  const tokens = [];
  for (let i = 0, line = 0, start = 0; i < data.length; i += 5) {
    start = data[i] === 0 ? start + data[i + 1] : data[i + 1];
    line += data[i];
    tokens.push([line, start, data[i + 2], client.initialized.capabilities.semanticTokensProvider.legend.tokenTypes[data[i + 3]]]);
  }
  same('semantic tokens: calls of functions and of scripts, and variables',
    tokens.filter(([line]) => line === 5 || (line >= 9 && line <= 11)), [
      [5, 4, 5, 'function'], [5, 10, 1, 'variable'], [5, 18, 5, 'function'], [5, 24, 1, 'variable'],
      [9, 0, 4, 'namespace'], [10, 0, 6, 'namespace'], [11, 0, 3, 'function']]);
  same('folding: each block up to the line before its end',
    (await client.request('textDocument/foldingRange', { textDocument: { uri: mainUri } }))
      .map((r) => [r.startLine, r.endLine]), [[3, 7], [4, 5]]);
}

async function formatting(client) {
  const messy = 'if x>1\nprint  x ,y\n\n\nend\n';
  const messyUri = uri(path.join(folder, 'messy.vk'));
  client.notify('textDocument/didOpen', { textDocument: { uri: messyUri, languageId: 'vesk', version: 1, text: messy } });
  await client.diagnostics(messyUri);
  same('formatting a document: one edit of the lines that change',
    await client.request('textDocument/formatting', { textDocument: { uri: messyUri }, options: { tabSize: 2, insertSpaces: true } }),
    [{ range: { start: { line: 0, character: 0 }, end: { line: 3, character: 0 } }, newText: 'if x > 1\n  print x, y\n' }]);
  same('formatting a range: only its lines',
    await client.request('textDocument/rangeFormatting', { textDocument: { uri: messyUri }, range: { start: { line: 1, character: 0 }, end: { line: 2, character: 0 } }, options: { tabSize: 2, insertSpaces: true } }),
    [{ range: { start: { line: 1, character: 0 }, end: { line: 2, character: 0 } }, newText: '  print x, y\n' }]);
}

// A script of the folder that the editor has open with unsaved changes is read as the editor
// has it: its globals and its parameters come from there, not from its file.
async function opentexts(client) {
  client.notify('textDocument/didOpen', { textDocument: { uri: otherUri, languageId: 'vesk', version: 1, text: 'shared = 1\n' } });
  await client.diagnostics(otherUri);
  client.notify('textDocument/didChange', { textDocument: { uri: otherUri, version: 2 }, contentChanges: [{ text: 'unsaved = 2\n' }] });
  await client.diagnostics(otherUri);
  const items = (await client.request('textDocument/completion', at(10, 0))).items.map((i) => i.label);
  same('an open script is read from the editor, not from its file',
    [items.includes('unsaved'), items.includes('shared')], [true, false]);
}

(async () => {
  const client = await start(
    { includeFolders: [path.join(folder, 'lib')], libraries: [path.join(extensions, 'geo.ext')] },
    { textDocument: { completion: { completionItem: { snippetSupport: true } }, hover: { contentFormat: ['markdown', 'plaintext'] }, documentSymbol: { hierarchicalDocumentSymbolSupport: true } } });
  check('initialize: incremental changes and the providers',
    client.initialized.capabilities.textDocumentSync.change === 2 &&
    client.initialized.capabilities.renameProvider.prepareProvider === true, client.initialized);
  await diagnostics(client);
  await completion(client);
  await signatures(client);
  await hover(client);
  await navigation(client);
  await outline(client);
  await formatting(client);
  await opentexts(client);
  const { code, stderr } = await client.stop();
  same('the server exits with 0 after shutdown and exit, writing nothing else', [code, stderr], [0, '']);
  finish();
})().catch((error) => {
  console.log(`FAILED: ${error.stack}`);
  process.exit(1);
});
