// The hosted service's official JavaScript client, used unchanged against
// varnel-devserver: the requests the program makes, in the client's own forms.
//
// Environment: VARNEL_URL, VARNEL_ANON_KEY, ADMIN_EMAIL, ADMIN_PASSWORD,
// CONSULTANT_EMAIL, CONSULTANT_PASSWORD, and an object that the caller stored
// beforehand: OBJECT_PATH (in bucket "atendimento_imagem") and OBJECT_HEX.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { createClient } from '@supabase/supabase-js';

const env = (name) => {
  const v = process.env[name];
  if (!v) throw new Error(`${name} is not set`);
  return v;
};
const url = env('VARNEL_URL');
const anonKey = env('VARNEL_ANON_KEY');
const admin = { email: env('ADMIN_EMAIL'), password: env('ADMIN_PASSWORD') };
const consultant = { email: env('CONSULTANT_EMAIL'), password: env('CONSULTANT_PASSWORD') };

const newClient = () =>
  createClient(url, anonKey, { auth: { persistSession: false, autoRefreshToken: false, detectSessionInUrl: false } });

// One signed-in client for the whole file; tests run in order and share it.
const db = newClient();
const tag = `js-${Date.now()}`;
const clientes = [
  { nome_razao: `${tag} Ana Silva`, cidade: 'São Paulo', cpf: '123.456.789-09' },
  { nome_razao: `${tag} Bruno Souza`, cidade: null, cpf: null },
  { nome_razao: `${tag} Carla SILVEIRA`, cidade: 'Campinas', cpf: '987.654.321-00' },
  { nome_razao: `${tag} Davi "Dias" Lima`, cidade: 'Santos', cpf: null },
];
let ids = {};

test('password sign-in: wrong password refused, right one gives a session', async () => {
  const bad = await db.auth.signInWithPassword({ email: admin.email, password: 'not-the-password' });
  assert.equal(bad.data.session, null);
  assert.equal(bad.error?.status, 400);
  assert.equal(bad.error?.code, 'invalid_credentials');
  assert.equal(bad.error?.message, 'Invalid login credentials');

  const { data, error } = await db.auth.signInWithPassword(admin);
  assert.equal(error, null);
  assert.equal(data.user.email, admin.email);
  assert.ok(data.session.access_token);
  assert.ok(data.session.refresh_token);
  assert.ok(data.session.expires_at > Date.now() / 1000);
});

test('insert: minimal return and return=representation', async () => {
  const minimal = await db.from('cliente').insert({ nome_razao: `${tag} Sem retorno` });
  assert.equal(minimal.error, null);
  assert.equal(minimal.status, 201);
  assert.equal(minimal.data, null);

  const { data, error, status } = await db.from('cliente').insert(clientes).select('id, nome_razao, cidade');
  assert.equal(error, null);
  assert.equal(status, 201);
  assert.deepEqual(data.map((r) => r.nome_razao), clientes.map((c) => c.nome_razao));
  ids = Object.fromEntries(data.map((r) => [r.nome_razao, r.id]));

  // Objects with different keys: the client lists the union as ?columns=.
  const mixed = await db.from('cliente')
    .insert([{ nome_razao: `${tag} Misto 1`, uf: 'MG' }, { nome_razao: `${tag} Misto 2`, bairro: 'Centro' }])
    .select('nome_razao, uf, bairro');
  assert.equal(mixed.error, null);
  assert.deepEqual(mixed.data, [
    { nome_razao: `${tag} Misto 1`, uf: 'MG', bairro: null },
    { nome_razao: `${tag} Misto 2`, uf: null, bairro: 'Centro' },
  ]);

  const one = await db.from('cliente').insert({ nome_razao: `${tag} Único` }).select().single();
  assert.equal(one.error, null);
  assert.equal(one.data.nome_razao, `${tag} Único`);
  assert.equal(one.data.deleted_at, null);

  const dup = await db.from('cliente').insert({ id: one.data.id, nome_razao: 'duplicado' });
  assert.equal(dup.status, 409);
  assert.equal(dup.error?.code, '23505');
});

test('select with filters and order', async () => {
  const mine = Object.values(ids);
  const name = (i) => clientes[i].nome_razao;
  const cases = [
    ['eq', (q) => q.eq('nome_razao', name(0)), [name(0)]],
    ['is null', (q) => q.is('cidade', null), [name(1)]],
    ['in', (q) => q.in('nome_razao', [name(2), name(3), 'nobody']), [name(2), name(3)]],
    ['or with ilike', (q) => q.or('nome_razao.ilike.*silv*,cidade.ilike.santos'), [name(0), name(2), name(3)]],
    ['or with a quoted value', (q) => q.or(`nome_razao.ilike."*\\"Dias\\"*",cpf.eq.${clientes[0].cpf}`), [name(0), name(3)]],
    ['not is null', (q) => q.not('cpf', 'is', null), [name(0), name(2)]],
  ];
  for (const [label, filter, expected] of cases) {
    const { data, error, status } = await filter(db.from('cliente').select('id,nome_razao').in('id', mine))
      .is('deleted_at', null)
      .order('nome_razao', { ascending: true });
    assert.equal(error, null, label);
    assert.equal(status, 200, label);
    assert.deepEqual(data.map((r) => r.nome_razao), expected, label);
  }

  const desc = await db.from('cliente').select('nome_razao, cidade').in('id', mine)
    .order('cidade', { ascending: false, nullsFirst: true }).order('nome_razao');
  assert.equal(desc.error, null);
  assert.deepEqual(desc.data.map((r) => r.cidade), [null, 'São Paulo', 'Santos', 'Campinas']);
});

test('counting and paging: count=exact, range, head', async () => {
  const mine = Object.values(ids);
  const page = await db.from('cliente').select('nome_razao', { count: 'exact' }).in('id', mine)
    .order('nome_razao').range(1, 2);
  assert.equal(page.error, null);
  assert.equal(page.count, 4);
  assert.equal(page.status, 206);
  assert.deepEqual(page.data.map((r) => r.nome_razao), [clientes[1].nome_razao, clientes[2].nome_razao]);

  const head = await db.from('cliente').select('*', { count: 'exact', head: true }).in('id', mine);
  assert.equal(head.error, null);
  assert.equal(head.count, 4);
  assert.equal(head.data, null);
});

test('update with select returns the changed rows', async () => {
  const id = ids[clientes[1].nome_razao];
  const { data, error, status } = await db.from('cliente').update({ cidade: 'Ribeirão Preto' }).eq('id', id).select();
  assert.equal(error, null);
  assert.equal(status, 200);
  assert.equal(data.length, 1);
  assert.equal(data[0].id, id);
  assert.equal(data[0].cidade, 'Ribeirão Preto');

  const archived = await db.from('cliente').update({ deleted_at: new Date().toISOString() }).eq('id', id)
    .select('id, deleted_at').single();
  assert.equal(archived.error, null);
  assert.equal(archived.data.id, id);
  assert.ok(archived.data.deleted_at);

  const none = await db.from('cliente').update({ cidade: 'x' }).eq('id', '00000000-0000-0000-0000-000000000000').select();
  assert.equal(none.error, null);
  assert.deepEqual(none.data, []);
});

test('single: one row as an object, zero rows as PGRST116', async () => {
  const id = ids[clientes[0].nome_razao];
  const one = await db.from('cliente').select('id, nome_razao').eq('id', id).single();
  assert.equal(one.error, null);
  assert.deepEqual(one.data, { id, nome_razao: clientes[0].nome_razao });

  const zero = await db.from('cliente').select('id').eq('id', '00000000-0000-0000-0000-000000000000').single();
  assert.equal(zero.data, null);
  assert.equal(zero.status, 406);
  assert.equal(zero.error?.code, 'PGRST116');

  const many = await db.from('cliente').select('id').in('id', Object.values(ids)).single();
  assert.equal(many.status, 406);
  assert.equal(many.error?.code, 'PGRST116');

  const maybe = await db.from('cliente').select('id').eq('id', '00000000-0000-0000-0000-000000000000').maybeSingle();
  assert.equal(maybe.error, null);
  assert.equal(maybe.data, null);
});

test('bad filters and unknown names are errors in the PostgREST shape', async () => {
  const badColumn = await db.from('cliente').select('id').eq('no_such_column', 'x');
  assert.equal(badColumn.status, 400);
  assert.equal(badColumn.error?.code, '42703');
  const badTable = await db.from('no_such_table').select('*');
  assert.equal(badTable.status, 404);
  assert.equal(badTable.error?.code, 'PGRST205');
});

test('storage download from atendimento_imagem', async () => {
  const { data, error } = await db.storage.from('atendimento_imagem').download(env('OBJECT_PATH'));
  assert.equal(error, null);
  assert.equal(Buffer.from(await data.arrayBuffer()).toString('hex'), env('OBJECT_HEX'));

  const missing = await db.storage.from('atendimento_imagem').download('visita/nao-existe.png');
  assert.equal(missing.data, null);
  assert.ok(missing.error);
});

test('function invoke: admin-update-user-password', async () => {
  const target = await db.from('profiles').select('user_id, nome').eq('email', consultant.email).single();
  assert.equal(target.error, null);
  const newPassword = `${consultant.password}-novo`;
  const { data, error } = await db.functions.invoke('admin-update-user-password', {
    body: { userId: target.data.user_id, nome: target.data.nome, email: consultant.email,
            cidade: 'Uberaba', role: 'Veterinário', password: newPassword },
  });
  assert.equal(error, null);
  assert.deepEqual(data, { success: true });

  const other = newClient();
  const signIn = await other.auth.signInWithPassword({ email: consultant.email, password: newPassword });
  assert.equal(signIn.error, null);
  const profile = await other.from('profiles').select('cidade, role').eq('user_id', target.data.user_id).single();
  assert.deepEqual(profile.data, { cidade: 'Uberaba', role: 'veterinario' });

  // The consultant is no administrator.
  const refused = await other.functions.invoke('admin-update-user-password', {
    body: { userId: target.data.user_id, nome: 'x', email: consultant.email, role: 'administrador' },
  });
  assert.equal(refused.data, null);
  assert.equal(refused.error?.name, 'FunctionsHttpError');
  assert.equal(refused.error.context.status, 403);
  assert.ok((await refused.error.context.json()).error);

  const unknown = await db.functions.invoke('no-such-function', { body: {} });
  assert.equal(unknown.error?.context?.status, 404);
  await other.auth.signOut();
});

test('refresh rotates the tokens and the new access token works', async () => {
  const before = (await db.auth.getSession()).data.session;
  const { data, error } = await db.auth.refreshSession();
  assert.equal(error, null);
  assert.ok(data.session.access_token);
  assert.notEqual(data.session.refresh_token, before.refresh_token);
  assert.equal(data.user.email, admin.email);

  const rows = await db.from('cliente').select('id').in('id', Object.values(ids));
  assert.equal(rows.error, null);
  assert.equal(rows.data.length, 4);
});

test('sign-out ends the session: refresh refused, anonymous sees no rows', async () => {
  const last = (await db.auth.getSession()).data.session;
  const { error } = await db.auth.signOut();
  assert.equal(error, null);
  assert.equal((await db.auth.getSession()).data.session, null);

  const again = await db.auth.refreshSession({ refresh_token: last.refresh_token });
  assert.ok(again.error);
  assert.equal(again.data.session, null);

  const rows = await db.from('cliente').select('id').in('id', Object.values(ids));
  assert.equal(rows.error, null);
  assert.deepEqual(rows.data, []);
});
