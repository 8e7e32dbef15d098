-- Database of the local back-end: the business tables, the auth and storage
-- schemas, and the row rules that decide what each request role may see or do.
-- Loaded once into a fresh database by varnel-devserver; every statement is
-- written so that a second load is harmless.

create extension if not exists pgcrypto;
create extension if not exists unaccent;

-- Request roles. The server logs in as "authenticator" and switches to one of
-- the three roles below inside each request's transaction.
do $$
begin
  if not exists (select 1 from pg_roles where rolname = 'anon') then
    create role anon nologin noinherit;
  end if;
  if not exists (select 1 from pg_roles where rolname = 'authenticated') then
    create role authenticated nologin noinherit;
  end if;
  if not exists (select 1 from pg_roles where rolname = 'service_role') then
    create role service_role nologin noinherit bypassrls;
  end if;
  if not exists (select 1 from pg_roles where rolname = 'authenticator') then
    create role authenticator login noinherit;
  end if;
end
$$;

grant anon, authenticated, service_role to authenticator;

-- ---------------------------------------------------------------- auth
create schema if not exists auth;

create table if not exists auth.users (
  id                  uuid primary key default gen_random_uuid(),
  email               text not null,
  encrypted_password  text not null,
  email_confirmed_at  timestamptz,
  confirmation_sent_at timestamptz,
  last_sign_in_at     timestamptz,
  raw_app_meta_data   jsonb not null default '{"provider":"email","providers":["email"]}',
  raw_user_meta_data  jsonb not null default '{}',
  created_at          timestamptz not null default now(),
  updated_at          timestamptz not null default now(),
  -- a password hash is always a bcrypt hash, never the password itself
  constraint users_password_is_bcrypt check (encrypted_password ~ '^\$2[abxy]\$[0-9]{2}\$')
);
create unique index if not exists users_email_key on auth.users (lower(email));
-- Set when an administrator's session signed the account up: such an account
-- may write its own first profile and responsible rows, with the role the
-- administrator chose then. Users cannot change these columns (their user
-- metadata they can).
alter table auth.users add column if not exists created_by uuid references auth.users (id) on delete set null;
alter table auth.users add column if not exists created_with_role text;

create table if not exists auth.sessions (
  id         uuid primary key default gen_random_uuid(),
  user_id    uuid not null references auth.users (id) on delete cascade,
  created_at timestamptz not null default now()
);

create table if not exists auth.refresh_tokens (
  id         bigserial primary key,
  token      text not null unique,
  user_id    uuid not null references auth.users (id) on delete cascade,
  session_id uuid not null references auth.sessions (id) on delete cascade,
  parent     text,
  revoked    boolean not null default false,
  created_at timestamptz not null default now(),
  updated_at timestamptz not null default now()
);
create index if not exists refresh_tokens_session_idx on auth.refresh_tokens (session_id);

-- Claims of the current request, as set by the server for the transaction.
create or replace function auth.jwt() returns jsonb
language sql stable as $$
  select coalesce(nullif(current_setting('request.jwt.claims', true), ''), '{}')::jsonb
$$;

create or replace function auth.uid() returns uuid
language sql stable as $$
  select nullif(auth.jwt() ->> 'sub', '')::uuid
$$;

create or replace function auth.role() returns text
language sql stable as $$
  select auth.jwt() ->> 'role'
$$;

-- Whether a signed-in user's token still has its session: signing out ends
-- it, so the token stops working everywhere, not only at the auth API.
create or replace function auth.session_is_live(p_session text, p_user text) returns boolean
language sql stable security definer set search_path = pg_catalog, pg_temp as $$
  select exists (select 1 from auth.sessions s
                 where s.id::text = p_session and s.user_id::text = p_user)
$$;

-- Creates a confirmed account with a bcrypt password hash; used by the demo
-- seed and by tests that need extra users.
create or replace function auth.create_user(p_email text, p_password text, p_meta jsonb default '{}')
returns uuid
language sql as $$
  insert into auth.users (email, encrypted_password, email_confirmed_at, raw_user_meta_data)
  values (lower(trim(p_email)), crypt(p_password, gen_salt('bf')), now(), coalesce(p_meta, '{}'))
  returning id
$$;

grant usage on schema auth to anon, authenticated, service_role;
grant execute on function auth.jwt(), auth.uid(), auth.role() to anon, authenticated, service_role;
revoke execute on function auth.session_is_live(text, text) from public;
grant execute on function auth.session_is_live(text, text) to authenticated;
revoke execute on function auth.create_user(text, text, jsonb) from public;

-- ---------------------------------------------------------------- business tables
create or replace function public.touch_updated_at() returns trigger
language plpgsql as $$
begin
  new.updated_at := now();
  return new;
end
$$;

create table if not exists public.cliente (
  id             uuid primary key default gen_random_uuid(),
  nome_razao     text not null,
  nome_fantasia  text,
  cpf            text,
  cnpj           text,
  endereco       text,
  bairro         text,
  cep            text,
  cidade         text,
  uf             text,
  telefone       text,
  whatsapp       text,
  email          text,
  codigo_externo text,
  created_at     timestamptz not null default now(),
  updated_at     timestamptz not null default now(),
  deleted_at     timestamptz
);

create table if not exists public.classificacao (
  id         uuid primary key default gen_random_uuid(),
  descricao  text not null,
  created_at timestamptz not null default now(),
  updated_at timestamptz not null default now(),
  deleted_at timestamptz
);

create table if not exists public.objetivo (
  id         uuid primary key default gen_random_uuid(),
  descricao  text not null,
  created_at timestamptz not null default now(),
  updated_at timestamptz not null default now(),
  deleted_at timestamptz
);

-- The id of a responsible person is the id of their user account.
create table if not exists public.responsavel_pelo_atendimento (
  id              uuid primary key,
  nome            text not null,
  email           text,
  cidade          text,
  role            text,
  assinatura_path text,
  created_at      timestamptz not null default now(),
  updated_at      timestamptz not null default now()
);

create table if not exists public.profiles (
  user_id    uuid primary key,
  nome       text,
  email      text,
  cidade     text,
  assinatura text,
  role       text,
  created_at timestamptz not null default now(),
  updated_at timestamptz not null default now()
);

-- localizacao and geofinalizado hold either a GeoJSON object or a text
-- (WKT, or extended WKB in hex), so they are jsonb.
create table if not exists public.atendimento_externo (
  id                             uuid primary key default gen_random_uuid(),
  user_id                        uuid,
  cliente_id                     uuid not null references public.cliente (id),
  responsavel_id                 uuid not null references public.responsavel_pelo_atendimento (id),
  data_visita                    timestamptz not null,
  data_relatorio                 timestamptz,
  datahorafinalizandoatendimento timestamptz,
  objetivo_id                    uuid references public.objetivo (id),
  objetivo_outros                text,
  classificacao_id               uuid references public.classificacao (id),
  relatorio                      text,
  participantes                  text,
  localizacao                    jsonb,
  geofinalizado                  jsonb,
  imagem_1_path                  text,
  imagem_2_path                  text,
  imagem_3_path                  text,
  imagem_4_path                  text,
  imagens_observacoes            text,
  created_at                     timestamptz not null default now(),
  updated_at                     timestamptz not null default now(),
  deleted_at                     timestamptz
);
create index if not exists atendimento_externo_data_visita_idx on public.atendimento_externo (data_visita desc);

-- Who the caller is, for the row rules. They read profiles and accounts
-- past the row rules, so they are security definer.
create or replace function public.normalized_role(p_role text) returns text
language sql stable set search_path = public, pg_temp as $$
  select lower(unaccent(btrim(coalesce(p_role, ''), E' \t\r\n')))
$$;

create or replace function public.caller_has_profile() returns boolean
language sql stable security definer set search_path = public, pg_temp as $$
  select exists (select 1 from public.profiles where user_id = auth.uid())
$$;

create or replace function public.caller_is_administrator() returns boolean
language sql stable security definer set search_path = public, pg_temp as $$
  select exists (select 1 from public.profiles
                 where user_id = auth.uid() and public.normalized_role(role) = 'administrador')
$$;

create or replace function public.caller_created_by_administrator() returns boolean
language sql stable security definer set search_path = public, pg_temp as $$
  select exists (select 1 from auth.users where id = auth.uid() and created_by is not null)
$$;

do $$
declare
  t text;
begin
  foreach t in array array['cliente', 'classificacao', 'objetivo', 'responsavel_pelo_atendimento',
                           'profiles', 'atendimento_externo']
  loop
    execute format('drop trigger if exists touch_updated_at on public.%I', t);
    execute format('create trigger touch_updated_at before update on public.%I
                    for each row execute function public.touch_updated_at()', t);
    execute format('alter table public.%I enable row level security', t);
    execute format('alter table public.%I force row level security', t);
    -- Rows are archived, never removed: no role gets DELETE.
    execute format('revoke all on public.%I from public, anon, authenticated, service_role', t);
    execute format('grant select, insert, update on public.%I to anon, authenticated, service_role', t);
    -- Signed-in users with a profile read and write every business row; an
    -- account without one (signed up by itself) sees nothing, and anonymous
    -- callers have no policy at all, so they see no rows and can change none.
    execute format('drop policy if exists signed_in_select on public.%I', t);
    execute format('drop policy if exists signed_in_insert on public.%I', t);
    execute format('drop policy if exists signed_in_update on public.%I', t);
    if t = 'profiles' then
      -- Everyone sees their own profile; an account an administrator created
      -- writes its own first one.
      execute 'create policy signed_in_select on public.profiles for select to authenticated
               using (user_id = auth.uid() or public.caller_has_profile())';
      execute 'create policy signed_in_insert on public.profiles for insert to authenticated
               with check (public.caller_has_profile()
                           or (user_id = auth.uid() and public.caller_created_by_administrator()))';
    else
      execute format('create policy signed_in_select on public.%I for select to authenticated
                      using (public.caller_has_profile())', t);
      execute format('create policy signed_in_insert on public.%I for insert to authenticated
                      with check (public.caller_has_profile())', t);
    end if;
    execute format('create policy signed_in_update on public.%I for update to authenticated
                    using (public.caller_has_profile()) with check (public.caller_has_profile())', t);
  end loop;
end
$$;

-- Only administrators set or change a role. The one exception is an account
-- an administrator created, writing its own first row with the role chosen
-- at its sign-up. The server's own writes (seeding, the admin function) run
-- outside a request and are not checked here. tg_argv[0] names the column
-- that holds the row's user id.
create or replace function public.guard_role() returns trigger
language plpgsql security definer set search_path = public, pg_temp as $$
begin
  if coalesce(auth.jwt() ->> 'role', '') <> 'authenticated' then
    return new;
  end if;
  if tg_op = 'UPDATE' then
    if public.normalized_role(new.role) = public.normalized_role(old.role) then
      return new;
    end if;
  elsif new.role is null then
    return new;
  end if;
  if public.caller_is_administrator() then
    return new;
  end if;
  if tg_op = 'INSERT' and (to_jsonb(new) ->> tg_argv[0]) = auth.uid()::text
     and exists (select 1 from auth.users u
                 where u.id = auth.uid() and u.created_by is not null and u.created_with_role = new.role) then
    return new;
  end if;
  raise exception using errcode = '42501',
    message = 'Apenas Administradores podem definir ou alterar o perfil (role) de um usuário.';
end
$$;

drop trigger if exists guard_role on public.profiles;
create trigger guard_role before insert or update on public.profiles
  for each row execute function public.guard_role('user_id');
drop trigger if exists guard_role on public.responsavel_pelo_atendimento;
create trigger guard_role before insert or update on public.responsavel_pelo_atendimento
  for each row execute function public.guard_role('id');

grant usage on schema public to anon, authenticated, service_role;

-- ---------------------------------------------------------------- storage
create schema if not exists storage;

create table if not exists storage.buckets (
  id         text primary key,
  name       text not null unique,
  public     boolean not null default false,
  created_at timestamptz not null default now()
);

create table if not exists storage.objects (
  id         uuid primary key default gen_random_uuid(),
  bucket_id  text not null references storage.buckets (id),
  name       text not null,
  mimetype   text not null default 'application/octet-stream',
  content    bytea not null,
  created_at timestamptz not null default now(),
  updated_at timestamptz not null default now(),
  unique (bucket_id, name)
);

insert into storage.buckets (id, name, public) values ('atendimento_imagem', 'atendimento_imagem', false)
on conflict (id) do nothing;

alter table storage.objects enable row level security;
alter table storage.objects force row level security;
grant usage on schema storage to anon, authenticated, service_role;
revoke all on storage.objects from public, anon, authenticated;
grant select on storage.objects to anon, authenticated, service_role;
drop policy if exists signed_in_read_visit_images on storage.objects;
create policy signed_in_read_visit_images on storage.objects for select to authenticated
  using (bucket_id = 'atendimento_imagem' and public.caller_has_profile());

-- ---------------------------------------------------------------- auth replies
-- Timestamps of the auth service: RFC 3339 in UTC with microseconds.
create or replace function auth.ts(t timestamptz) returns text
language sql immutable as $$
  select to_char(t at time zone 'UTC', 'YYYY-MM-DD"T"HH24:MI:SS.US"Z"')
$$;

-- The user object of the auth service's replies.
create or replace function auth.user_json(p_id uuid) returns jsonb
language sql stable as $$
  select jsonb_build_object(
    'id', u.id,
    'aud', 'authenticated',
    'role', 'authenticated',
    'email', u.email,
    'email_confirmed_at', auth.ts(u.email_confirmed_at),
    'phone', '',
    'confirmation_sent_at', auth.ts(u.confirmation_sent_at),
    'confirmed_at', auth.ts(u.email_confirmed_at),
    'last_sign_in_at', auth.ts(u.last_sign_in_at),
    'app_metadata', u.raw_app_meta_data,
    'user_metadata', u.raw_user_meta_data,
    'identities', jsonb_build_array(jsonb_build_object(
        'identity_id', u.id,
        'id', u.id,
        'user_id', u.id,
        'identity_data', jsonb_build_object('email', u.email, 'email_verified', u.email_confirmed_at is not null,
                                            'phone_verified', false, 'sub', u.id),
        'provider', 'email',
        'last_sign_in_at', auth.ts(u.last_sign_in_at),
        'created_at', auth.ts(u.created_at),
        'updated_at', auth.ts(u.updated_at),
        'email', u.email)),
    'created_at', auth.ts(u.created_at),
    'updated_at', auth.ts(u.updated_at),
    'is_anonymous', false)
  from auth.users u
  where u.id = p_id
$$;
