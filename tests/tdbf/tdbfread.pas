{ Reads a dBase table through Free Pascal's TDbf, an engine independent of ours, and
  prints what it sees, one item per line, fields separated by tabs:

    LEVEL  <table level>
    FIELD  <name> <dBase type> <size> <decimals> <TDbf field type>
    TAG    <tag name>                       (tags of the production index)
    ROW    <record number> <value>...       (natural order, or tag order with a tag)
    FOUND  <record number> | NOTFOUND       (with a tag and a key)

  A null value prints as <null>; backslash, tab and line breaks are escaped. Numbers use
  '.' as decimal separator and dates yyyy-mm-dd, whatever the locale.

  Usage: tdbfread TABLE.DBF [TAG [KEY]]
  The table is opened read-only. On Linux TDbf finds the production index as NAME.mdx
  (lower-case extension) unless the whole path is upper case. }
program tdbfread;

{$mode objfpc}{$H+}

uses
  SysUtils, Classes, DB, dbf, dbf_common;

function Escape(const S: string): string;
var
  I: Integer;
begin
  Result := '';
  for I := 1 to Length(S) do
    case S[I] of
      '\': Result := Result + '\\';
      #9: Result := Result + '\t';
      #10: Result := Result + '\n';
      #13: Result := Result + '\r';
    else
      Result := Result + S[I];
    end;
end;

procedure PrintRow(Table: TDbf);
var
  I: Integer;
  Line: string;
  Field: TField;
begin
  Line := 'ROW' + #9 + IntToStr(Table.PhysicalRecNo);
  for I := 0 to Table.FieldCount - 1 do
  begin
    Field := Table.Fields[I];
    if Field.IsNull then
      Line := Line + #9 + '<null>'
    else
      Line := Line + #9 + Escape(Field.AsString);
  end;
  WriteLn(Line);
end;

var
  Table: TDbf;
  Names: TStringList;
  I: Integer;
begin
  DefaultFormatSettings.DecimalSeparator := '.';
  DefaultFormatSettings.ThousandSeparator := #0;
  DefaultFormatSettings.DateSeparator := '-';
  DefaultFormatSettings.ShortDateFormat := 'yyyy-mm-dd';
  DefaultFormatSettings.LongTimeFormat := 'hh:nn:ss';
  if ParamCount < 1 then
  begin
    WriteLn(StdErr, 'usage: tdbfread TABLE.DBF [TAG [KEY]]');
    Halt(2);
  end;
  Table := TDbf.Create(nil);
  Names := TStringList.Create;
  try
    try
      Table.FilePathFull := ExtractFilePath(ExpandFileName(ParamStr(1)));
      Table.TableName := ExtractFileName(ParamStr(1));
      Table.ReadOnly := True;
      Table.Open;
      WriteLn('LEVEL'#9, Table.TableLevel);
      for I := 0 to Table.DbfFieldDefs.Count - 1 do
        with Table.DbfFieldDefs.Items[I] do
          WriteLn('FIELD'#9, FieldName, #9, NativeFieldType, #9, Size, #9, Precision, #9,
            FieldTypeNames[FieldType]);
      Table.GetIndexNames(Names);
      for I := 0 to Names.Count - 1 do
        WriteLn('TAG'#9, Names[I]);
      if ParamCount >= 2 then
        Table.IndexName := ParamStr(2);
      Table.First;
      while not Table.EOF do
      begin
        PrintRow(Table);
        Table.Next;
      end;
      if ParamCount >= 3 then
      begin
        if Table.SearchKey(StrToFloat(ParamStr(3)), stEqual) then
          WriteLn('FOUND'#9, Table.PhysicalRecNo)
        else
          WriteLn('NOTFOUND');
      end;
      Table.Close;
    except
      on E: Exception do
      begin
        WriteLn(StdErr, 'ERROR'#9, E.ClassName, ': ', E.Message);
        ExitCode := 1;
      end;
    end;
  finally
    Names.Free;
    Table.Free;
  end;
end.
